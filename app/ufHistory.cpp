#include "app/ufHistory.h"

#include "app/uBoardSpeech.h"
#include "app/uReview.h"
#include "components/MultiLanguage.h"
#include "components/uAccessibleParts.h"
#include "components/uDialogHeader.h"
#include "components/uFormat.h"
#include "components/uJwHelpPrinting.h"
#include "components/uPrintDialog.h"
#include "components/uTextConversion.h"
#include "game/uTFeld.h"
#include "records/uTHistory.h"
#include "records/uWorldwide.h"
#include "view/uTCanvas.h"
#include "view/uTFeldSketch.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace kelani {
namespace {

// A printed cell is one on-screen cell: the small board and its number margin.
constexpr int kCellWidth = 219;
constexpr int kCellHeight = 62;
constexpr int kPerRow = 4;

int RoundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

void DrawCell(TCanvas& canvas, const TFeld& board, const QImage& smbrett, int index, int mulde) {
    const QSize cell = smbrett.size() / PictureScale(smbrett);
    const int x = (cell.width() + kHistoryNumberMargin) * (index % 2);
    const int y = cell.height() * (index / 2);
    canvas.CopyRect(QRect(QPoint(x + kHistoryNumberMargin, y), cell), smbrett, QRect(QPoint(), cell));
    DrawFeldSketch(canvas, board, x + 28, y + 9, mulde);
    const QString number = QString::number(index + 1) + QLatin1Char('.');
    canvas.Font.Color = Qt::black;
    canvas.Brush.Style = TBrushStyle::Clear;
    canvas.TextOut(x + 18 - canvas.TextWidth(number), y + 2, number);
}

// Every record in the board's words, numbered: "Zug 3: Anna spielt Mulde 2 (4 Steine)."
QStringList MoveNames(const THistory& history, const TMultiLanguage& lng) {
    TMultiLanguage board(nullptr); // the board window's words, applied to no window
    board.SetScript(LanguageScript(QStringLiteral("TfSpielfeld")));
    board.SetLanguage(lng.Language());
    const TTranslate text = [&board](const QString& key) { return board.GetString(key); };
    TFeld feld;
    history.StartBoard(feld);
    QStringList names;
    for (int i = 0; i < history.Count(); ++i)
        names << FormatText(lng.GetString(QStringLiteral("a11ymove")),
                            {QString::number(i + 1), MoveSpeech(feld, history.Moves(i), history, text)});
    return names;
}

} // namespace

QImage BuildHistoryPicture(const THistory& history, const QImage& smbrett) {
    const int n = history.Count();
    if (n == 0 || smbrett.isNull()) return {};
    // Drawn at the small board's scale, so an @2x board keeps its sharpness.
    const int scale = PictureScale(smbrett);
    const int w = smbrett.width() / scale, h = smbrett.height() / scale;
    QImage picture(QSize(std::min(2, n) * w + 2 * kHistoryNumberMargin, ((n - 1) / 2 + 1) * h) * scale,
                   QImage::Format_RGB32);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::white);
    TCanvas canvas(picture);
    TFeld board;
    history.StartBoard(board);
    for (int i = 0; i < n; ++i) {
        const int mulde = history.Moves(i).Mulde;
        if (mulde != 0)
            board.DoMove(mulde);
        else
            board.Skip();
        DrawCell(canvas, board, smbrett, i, mulde);
    }
    return picture;
}

TfHistory::TfHistory(QWidget* parent, const QString& language) : QDialog(parent) {
    setObjectName(QStringLiteral("TfHistory"));
    const TDialogHeader header = MakeDialogHeader(this, QStringLiteral(":/pictures/header_history.png"), {});
    lDesc = header.Text;
    sbzug = Named(new QScrollArea(this), "sbzug");
    sbzug->verticalScrollBar()->setSingleStep(kCellHeight);
    sbzug->verticalScrollBar()->setTracking(true);
    // A wider window shows the two columns in its middle, a taller one more rows.
    sbzug->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    iZug = Named(new QLabel, "iZug");
    sbzug->setWidget(iZug);
    moves_ = new TAccessibleParts(iZug, QAccessible::List, QAccessible::ListItem);
    moves_->Count = [this] { return int(moveNames_.size()); };
    moves_->Name = [this](int i) { return MoveName(i); };
    moves_->Rect = [](int i) {
        return QRect(kCellWidth * (i % 2), kCellHeight * (i / 2), kCellWidth, kCellHeight);
    };
    iGraph = Named(new QLabel(this), "iGraph");
    iGraph->setAlignment(Qt::AlignCenter);
    iGraph->hide();
    bbOK = Named(new QPushButton(QStringLiteral("OK"), this), "bbOK");
    bbPrint = Named(new QPushButton(this), "bbPrint");

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(bbPrint);
    buttons->addWidget(bbOK);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(4, 8, 4, 8);
    body->addWidget(iGraph);
    body->addWidget(sbzug, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(header.Panel);
    layout->addLayout(body, 1);
    connect(bbOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbPrint, &QPushButton::clicked, this, &TfHistory::bbPrintClick);

    lng = new TMultiLanguage(this);
    lng->setObjectName(QStringLiteral("lng"));
    lng->SetScript(LanguageScript(QStringLiteral("TfHistory")));
    lng->SetLanguage(language);
    FitSketches(QSize(2 * kCellWidth, kCellHeight));
}

// A row of sketches (`row`: the picture's width, one sketch's height) always fits whole beside
// the vertical scroll bar, however wide the style draws it; the window may grow beyond that.
void TfHistory::FitSketches(QSize row) {
    const int frame = 2 * sbzug->frameWidth();
    sbzug->setMinimumSize(row.width() + frame + sbzug->verticalScrollBar()->sizeHint().width(),
                          row.height() + frame);
    resize(minimumSizeHint().expandedTo(QSize(468, 355)));
}

void TfHistory::ShowHistory(const THistory& history, const QImage& picture) {
    count_ = history.Count();
    variant_ = history.Variante;
    picture_ = picture;
    if (!picture.isNull()) {
        iZug->setPixmap(QPixmap::fromImage(picture));
        iZug->resize(picture.deviceIndependentSize().toSize());
        FitSketches(QSize(iZug->width(), std::min(iZug->height(), kCellHeight)));
    }
    lDesc->setText(JoinBrokenSentences(
        FormatText(lDesc->text(), {FromCp1252(history.Name1), FromCp1252(history.Name2)})));
    moveNames_ = MoveNames(history, *lng);
    moves_->Changed();
}

QString TfHistory::MoveName(int i) const {
    const QString name = moveNames_.value(i);
    const int mark = i < int(marks_.size()) ? static_cast<int>(marks_[i]) : 0;
    return mark == 0 ? name
                     : name + QLatin1Char(' ') + lng->GetString(QStringLiteral("a11ymark%1").arg(mark));
}

void TfHistory::ShowReview(const std::vector<TReviewMove>& review) {
    DrawReviewMarks(picture_, review);
    marks_.clear();
    for (const TReviewMove& move : review) marks_.push_back(move.Mark);
    moves_->Changed();
    iZug->setPixmap(QPixmap::fromImage(picture_));
    graph_ = BuildReviewGraph(review, static_cast<int>(picture_.deviceIndependentSize().width()),
                              PictureScale(picture_));
    iGraph->setPixmap(QPixmap::fromImage(graph_));
    iGraph->show();
    int marks[3][4] = {};
    for (const TReviewMove& move : review) ++marks[move.Player][static_cast<int>(move.Mark)];
    QString summary;
    for (int player = 1; player <= 2; ++player)
        summary += FormatText(lng->GetString(QStringLiteral("c_review")),
                              {QString::number(player), QString::number(marks[player][1]),
                               QString::number(marks[player][2]), QString::number(marks[player][3])}) +
                   QLatin1Char('\n');
    lDesc->setText(lDesc->text() + QStringLiteral("\n\n") + summary.trimmed());
}

void TfHistory::bbPrintClick() {
    QPrinter printer(QPrinter::HighResolution);
    if (ExecPrintDialog(printer, this)) Print(printer);
}

// Where the printout puts things on every page, in printer pixels.
struct THistoryPrintLayout {
    QRect Area;     // inside the margins
    QRect Pictures; // below the header and title, above the footer
    int CellWidth, CellHeight, Gap;
    int PerPage;
};

namespace {

THistoryPrintLayout PrintLayout(const QRect& area, int lineHeight) {
    THistoryPrintLayout layout;
    layout.Area = area;
    layout.Pictures =
        QRect(area.x(), area.y() + 5 * lineHeight, area.width(), area.height() - 6 * lineHeight);
    layout.CellWidth = RoundEven(area.width() / 4.0 * 0.97);
    layout.CellHeight = RoundEven(layout.CellWidth * double(kCellHeight) / kCellWidth);
    layout.Gap = RoundEven((area.width() - kPerRow * layout.CellWidth) / 3.0);
    // A print area too small for one row still prints one row a page rather than dividing by 0.
    const int rows = layout.Pictures.height() / (layout.CellHeight + layout.Gap);
    layout.PerPage = std::max(rows, 1) * kPerRow;
    return layout;
}

} // namespace

void TfHistory::Print(QPrinter& printer) {
    QPainter canvas;
    if (!canvas.begin(&printer)) return;
    canvas.setRenderHint(QPainter::LosslessImageRendering);
    const QRect area = PrintMargins(printer);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(std::max(1, area.height() / 60));
    canvas.setFont(font);
    const THistoryPrintLayout layout = PrintLayout(area, LineHeight(canvas));
    const int pages = count_ == 0 ? 1 : (count_ - 1) / layout.PerPage + 1;
    for (int page = 1; page <= pages; ++page) {
        PrintPage(canvas, layout, page, pages);
        if (page < pages) printer.newPage();
    }
    canvas.end();
}

void TfHistory::PrintPage(QPainter& canvas, const THistoryPrintLayout& layout, int page, int pages) {
    const QRect& area = layout.Area;
    const QFont normal = canvas.font();
    DrawHeaderLine(canvas, QStringLiteral("KELANI \u00AE"), lng->GetString(QStringLiteral("c_version")),
                   lng->GetString(QStringLiteral("c_variant")) + QLatin1Char(' ') + QString::number(variant_),
                   area);
    const int h = normal.pixelSize();
    QFont title = normal;
    title.setBold(true);
    title.setPointSize(24);
    canvas.setFont(title);
    DrawAlignedText(canvas, lng->GetString(QStringLiteral("c_history")) + QLatin1Char(':'),
                    QRect(area.x(), area.y() + 2 * h, area.width(), 3 * h), 1, 0);
    canvas.setFont(normal);
    // The review's graph beside the title, on the first page.
    if (page == 1 && !graph_.isNull())
        canvas.drawImage(QRect(area.x() + area.width() / 2, area.y() + 2 * h, area.width() / 2, 3 * h),
                         graph_);

    const int first = (page - 1) * layout.PerPage + 1;
    for (int j = first; j <= std::min(page * layout.PerPage, count_); ++j) {
        const QRect cell(((j - 1) % 2) * kCellWidth, ((j - 1) / 2) * kCellHeight, kCellWidth, kCellHeight);
        const int t = j - first;
        const QRect target(layout.Pictures.x() + (t % kPerRow) * (layout.CellWidth + layout.Gap),
                           layout.Pictures.y() + (t / kPerRow) * (layout.CellHeight + layout.Gap),
                           layout.CellWidth, layout.CellHeight);
        canvas.drawImage(
            target,
            picture_.copy(PixelRect(cell, PictureScale(picture_))).convertToFormat(QImage::Format_RGB888));
    }
    const QString footer =
        lng->GetString(QStringLiteral("c_page")) + QStringLiteral(" %1/%2").arg(page).arg(pages);
    DrawFooterLine(canvas, QDate::currentDate().toString(QStringLiteral("dd.MM.yy")), footer,
                   QLatin1String(kMakerMark), area);
}

} // namespace kelani
