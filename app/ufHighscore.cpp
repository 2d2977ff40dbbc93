#include "app/ufHighscore.h"

#include "app/WebPost.h"
#include "app/lngDialogs.h"
#include "components/MultiLanguage.h"
#include "components/SmallGrid.h"
#include "components/uDialogHeader.h"
#include "components/uFolders.h"
#include "components/uFormat.h"
#include "components/uJwHelpPrinting.h"
#include "components/uPrintDialog.h"
#include "components/uRadioGroup.h"
#include "components/uShellOpen.h"
#include "components/uTextConversion.h"
#include "records/uSendToWeb.h"
#include "records/uWorldwide.h"
#include "settings/uTSettings.h"

#include <QDate>
#include <QHBoxLayout>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QUrl>
#include <QVBoxLayout>
#include <map>

namespace kelani {
namespace {

constexpr int kColumnWidths[] = {40, 180, 68, 48, 68};
constexpr const char* kCaptionKeys[] = {"c_number", "c_name", "c_time", "c_moves", "c_points"};
constexpr const char* kTextKeys[] = {nullptr, "name", "zeit", "runden", "punkte"};
constexpr int kHeaderRowHeight = 22;

TGridAlignment RowAlignment(int col) {
    switch (col) {
    case 0:
        return gaCentre;
    case 1:
        return gaLeftTop;
    default:
        return gaRightBottom;
    }
}

QString DataFile(int variant) {
    return QString::fromStdString(THighscore::FileName(SettingsFolder(), variant));
}

} // namespace

TfHighscore::TfHighscore(QWidget* parent, const QString& language) : QDialog(parent) {
    setObjectName(QStringLiteral("TfHighscore"));
    BuildWindow();
    lng = new TMultiLanguage(this);
    lng->setObjectName(QStringLiteral("lng"));
    lng->SetScript(LanguageScript(QStringLiteral("TfHighscore")));
    lng->SetLanguage(language);
    for (const char* key : kCaptionKeys) captions_ << lng->GetString(QLatin1String(key));
    SetUpGrid();
}

TfHighscore::~TfHighscore() = default;

void TfHighscore::BuildWindow() {
    setFixedSize(454, 357);
    const TDialogHeader header =
        MakeDialogHeader(this, QStringLiteral(":/pictures/header_highscore.png"), {});
    rgVariante = new TRadioGroup(QStringLiteral("rgVariante"), this);
    delete rgVariante->layout(); // three columns side by side
    new QHBoxLayout(rgVariante);
    sbTable = Named(new QScrollArea(this), "sbTable");
    sbTable->setFrameShape(QFrame::StyledPanel);
    sbTable->verticalScrollBar()->setSingleStep(18);
    sgHighscore = Named(new TSmallGrid(), "sgHighscore");
    sbTable->setWidget(sgHighscore);
    bbOK = Named(new QPushButton(QStringLiteral("OK"), this), "bbOK");
    bbPrint = Named(new QPushButton(this), "bbPrint");
    bbnetHighscore = Named(new QPushButton(this), "bbnetHighscore");
    wp = Named(new TWebPost(this), "wp");
    // A failure is told in the one box that says the send stopped; refusals are summed up at its end.
    wp->OnError = [this](const QString& text, int) { sendFailure_ = text; };

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(bbnetHighscore);
    buttons->addStretch(1);
    buttons->addWidget(bbPrint);
    buttons->addWidget(bbOK);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 4, 8, 8);
    body->addWidget(rgVariante);
    body->addWidget(sbTable, 1);
    body->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(header.Panel);
    layout->addLayout(body, 1);

    connect(rgVariante, &TRadioGroup::Click, this, &TfHighscore::rgVarianteClick);
    connect(bbOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(bbPrint, &QPushButton::clicked, this, &TfHighscore::bbPrintClick);
    connect(bbnetHighscore, &QPushButton::clicked, this, &TfHighscore::bbnetHighscoreClick);
}

void TfHighscore::SetUpGrid() {
    sgHighscore->SetColCount(5);
    sgHighscore->HeadRow = true;
    sgHighscore->OnGetColWidth = [](const TSmallGrid&, int col, int& width) {
        if (col >= 0 && col < 5) width = kColumnWidths[col];
    };
    sgHighscore->OnGetRowHeight = [](const TSmallGrid&, int row, int& height) {
        if (row == 0) height = kHeaderRowHeight;
    };
    sgHighscore->OnGetCellStr = [this](const TSmallGrid&, int col, int row, QString& text) {
        text = CellText(col, row);
    };
    sgHighscore->OnGetCellAlignment = [](const TSmallGrid&, int col, int row, TGridAlignment& h,
                                         TGridAlignment& v) {
        h = row == 0 ? gaCentre : RowAlignment(col);
        v = gaCentre;
    };
    sgHighscore->OnGetCellColorBG = [this](const TSmallGrid& grid, int col, int row, QColor& colour) {
        colour = grid.IsSelected(col, row) && row > 0 ? MarkColor() : CellColour(row);
    };
}

QString TfHighscore::CellText(int col, int row) const {
    if (col < 0 || col >= 5) return {};
    if (row == 0) return captions_.value(col);
    if (row > table_.Count()) return {};
    if (col == 0) return QString::number(row);
    return FromCp1252(table_.GetText(kTextKeys[col], row - 1));
}

QColor TfHighscore::CellColour(int row) const {
    if (row == 0) return palette().color(QPalette::Button);
    return row % 2 == 1 ? palette().color(QPalette::ToolTipBase) : palette().color(QPalette::Base);
}

void TfHighscore::ShowGame(int variantIndex, int markRow) {
    gameVariantIndex_ = variantIndex;
    markRow_ = markRow;
    rgVariante->SetItemIndex(std::max(variantIndex, 0));
    rgVarianteClick();
}

int TfHighscore::ShownVariant() const {
    return std::max(rgVariante->ItemIndex(), 0) + 4;
}

bool TfHighscore::LoadTable(THighscore& table, int variant) {
    try {
        table.LoadFromFile(DataFile(variant).toStdString());
        return true;
    } catch (const std::exception& error) {
        LngFileErrorDlg(error, DataFile(variant));
        return false;
    }
}

void TfHighscore::LoadShownVariant() {
    table_.Clear();
    if (!LoadTable(table_, ShownVariant())) table_.Clear();
}

void TfHighscore::rgVarianteClick() {
    LoadShownVariant();
    empty_ = table_.Count() == 0;
    if (empty_)
        table_.AddEntry(ToCp1252(lng->GetString(QStringLiteral("emptyitem"))), 0, 0, 0, 0, false, {}, {});
    sgHighscore->SetRowCount(table_.Count() + 1);
    sgHighscore->SelectRow(ShownVariant() - 4 == gameVariantIndex_ ? markRow_ : -1);
    bbnetHighscore->setEnabled(!empty_);
    bbPrint->setEnabled(!empty_);
}

void TfHighscore::bbPrintClick() {
    QPrinter printer(QPrinter::HighResolution);
    if (!ExecPrintDialog(printer, this)) return;
    const QStringList header = {QStringLiteral("KELANI \u00AE"), lng->GetString(QStringLiteral("c_version")),
                                lng->GetString(QStringLiteral("c_variant")) + QLatin1Char(' ') +
                                    QString::number(ShownVariant())};
    const QStringList footer = {QDate::currentDate().toString(QStringLiteral("dd.MM.yy")),
                                QLatin1String(kMakerWebAddress), QLatin1String(kMakerMark)};
    PrintHighscore(printer, *sgHighscore, header, footer, QStringLiteral("Highscore:"));
}

void TfHighscore::EnableControls(bool enabled) {
    for (QWidget* control : {static_cast<QWidget*>(bbOK), static_cast<QWidget*>(bbPrint),
                             static_cast<QWidget*>(bbnetHighscore), static_cast<QWidget*>(rgVariante)})
        control->setEnabled(enabled);
    setEnabled(enabled);
}

void TfHighscore::bbnetHighscoreClick() {
    THighscore table;
    ApplyWorldwideSettings(table);
    if (table.Server.empty()) {
        const QString settings = QString::fromStdString(TKelaniSettings(SettingsFolder()).FileName());
        LngMessageDlg(FormatText(lng->GetString(QStringLiteral("msgnoserver")), {settings}), mtInformation,
                      mbOK);
        return;
    }
    if (LngMessageDlg(lng->GetString(QStringLiteral("msgsendtonet")), mtConfirmation, mbOKCancel) != mrOk)
        return;
    EnableControls(false);
    bool sent = false;
    wp->Refusals.clear();
    wp->Answers.clear();
    try {
        sent = SendAllTables(table);
    } catch (const std::exception& error) {
        LngErrorDlg(error);
    }
    if (sent) {
        ShowSendSummary(QString::fromStdString(table.Server));
        LngShellOpen(QUrl(QString::fromStdString(table.ViewURL)));
    }
    EnableControls(true);
    bbnetHighscore->setEnabled(!empty_);
    bbPrint->setEnabled(!empty_);
}

// Every qualifying entry of the three tables, variant 4 first; false after the first failure.
bool TfHighscore::SendAllTables(THighscore& table) {
    for (int variant = 4; variant <= 6; ++variant) {
        table.Clear();
        table.GameIndex = std::to_string(variant);
        if (!LoadTable(table, variant)) return false;
        if (SendToWeb(table, *wp) != 0) {
            LngMessageDlg(lng->GetString(QStringLiteral("senderror")) + QLatin1Char('\n') + sendFailure_,
                          mtError, mbOK);
            return false;
        }
    }
    return true;
}

// One box at the end of a send: what the server made of the entries it received, then the ones it
// refused, each reason once (with its count when several entries share it), in the player's words
// and the server's own.
void TfHighscore::ShowSendSummary(const QString& server) {
    const int received = static_cast<int>(wp->Answers.size() + wp->Refusals.size());
    if (received == 0) {
        LngMessageDlg(FormatText(lng->GetString(QStringLiteral("msgnothingsent")), {server}), mtInformation,
                      mbOK);
        return;
    }
    QString text = FormatText(lng->GetString(QStringLiteral("msgsent")), {server, QString::number(received)});
    const TSendCounts counts = CountAnswers(wp->Answers);
    for (const auto& [key, count] :
         {std::pair{"sentstored", counts.Stored}, std::pair{"sentknown", counts.Known},
          std::pair{"sentnotkept", counts.NotKept}})
        if (count > 0)
            text +=
                QLatin1Char('\n') + FormatText(lng->GetString(QLatin1String(key)), {QString::number(count)});
    if (!wp->Refusals.empty()) text += QStringLiteral("\n\n") + RefusalText();
    LngMessageDlg(text, wp->Refusals.empty() ? mtInformation : mtWarning, mbOK);
}

QString TfHighscore::RefusalText() const {
    std::map<QString, int> reasons;
    for (const TWebPost::TRefusal& refusal : wp->Refusals) {
        QString why = lng->GetString(QStringLiteral("refused%1").arg(refusal.Status));
        if (why.isEmpty()) why = lng->GetString(QStringLiteral("refusedother"));
        const QString server = QString::fromStdString(refusal.Reason);
        ++reasons[server.isEmpty() ? why : QStringLiteral("%1 (%2)").arg(why, server)];
    }
    QString text =
        FormatText(lng->GetString(QStringLiteral("msgrefused")), {QString::number(wp->Refusals.size())});
    for (const auto& [why, count] : reasons)
        text += count > 1 ? QStringLiteral("\n%1 \u00D7 %2").arg(count).arg(why) : QStringLiteral("\n") + why;
    return text;
}

void PrintHighscore(QPrinter& printer, const TSmallGrid& grid, const QStringList& header,
                    const QStringList& footer, const QString& title) {
    TJwPrinterPage page(printer);
    page.Kopfzeile.Visible = !header.isEmpty();
    page.Kopfzeile.LeftText = header.value(0);
    page.Kopfzeile.MiddleText = header.value(1);
    page.Kopfzeile.RightText = header.value(2);
    page.Fusszeile.Visible = !footer.isEmpty();
    page.Fusszeile.LeftText = footer.value(0);
    page.Fusszeile.MiddleText = footer.value(1);
    page.Fusszeile.RightText = footer.value(2);
    page.Font = QFont(QStringLiteral("Arial"), 12);
    if (!page.BeginDoc()) return;
    page.WriteLine(QString());
    page.Font.setBold(true);
    page.Font.setPointSize(24);
    page.WriteLine(title);
    page.WriteLine(QString());
    page.Font.setPointSize(14);
    page.Canvas().setFont(page.Font);
    const int scale = std::max(1, page.Area.width() / std::max(1, grid.TotalWidth()));
    page.Canvas().setBrush(Qt::white);
    page.Canvas().setPen(Qt::black);
    grid.PaintTo(page.Canvas(), page.Area.topLeft(), scale);
    page.EndDoc();
}

void ApplyWorldwideSettings(TCustomINetHighscore& table) {
    TKelaniSettings(SettingsFolder()).ReadWorldwide(table.Server, table.ViewURL);
    // A server without a page of its own named shows its tables on its first page.
    if (table.ViewURL.empty() && !table.Server.empty())
        table.ViewURL = ServerUrl(table.Server, "/").toString().toStdString();
}

} // namespace kelani
