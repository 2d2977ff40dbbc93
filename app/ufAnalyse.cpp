#include "app/ufAnalyse.h"

#include "components/MultiLanguage.h"
#include "components/uFormat.h"
#include "control/uTAnalysis.h"
#include "control/uTSpielfeld.h"
#include "records/uPositionText.h"
#include "records/uTHistory.h"

#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace kelani {

namespace {

// While the panel is open it looks this often whether the tables became ready.
constexpr int kPollMs = 1000;

} // namespace

TfAnalyse::TfAnalyse(QWidget* parent, TSpielfeld& game, const QString& language)
    : QDockWidget(parent), game_(game), analysis_(new TAnalysis(this)) {
    setObjectName(QStringLiteral("TfAnalyse"));
    setWindowTitle(QStringLiteral("Analyse"));
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    lState = new QLabel(body);
    lState->setObjectName(QStringLiteral("lState"));
    lState->setWordWrap(true);
    sgAnalyse = new QTreeWidget(body);
    sgAnalyse->setObjectName(QStringLiteral("sgAnalyse"));
    sgAnalyse->setColumnCount(3);
    sgAnalyse->setRootIsDecorated(false);
    sgAnalyse->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(lState);
    layout->addWidget(sgAnalyse);
    setWidget(body);
    setFocusProxy(sgAnalyse);
    lng = new TMultiLanguage(this);
    lng->setObjectName(QStringLiteral("lng"));
    lng->LoadScript(objectName());
    SetLanguage(language);
    poll_.setInterval(kPollMs);
    poll_.callOnTimeout(this, [this] {
        PositionChanged();
        ShowState();
    });
    connect(this, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible) {
            poll_.start();
            PositionChanged();
        } else {
            poll_.stop();
            analysis_->Stop();
            analysed_.clear();
        }
    });
}

TfAnalyse::~TfAnalyse() = default;

QString TfAnalyse::Text(const char* key) const {
    return lng->GetString(QLatin1String(key));
}

void TfAnalyse::SetLanguage(const QString& language) {
    lng->SetLanguage(language);
    setWindowTitle(Text("caption"));
    sgAnalyse->setHeaderLabels({Text("colpit"), Text("colvalue"), Text("colline")});
    if (!result_.Lines.empty()) Show(result_, final_);
    ShowState();
}

void TfAnalyse::PositionChanged() {
    if (!isVisible()) return;
    const TFeld& board = game_.Board();
    if (!game_.Running() || game_.Online() || game_.Busy() || board.Hand() != 0 || board.IsGameOver()) {
        analysis_->Stop();
        analysed_.clear();
        result_ = {};
        sgAnalyse->clear();
        ShowState();
        return;
    }
    // Looking on while playing makes it a training game.
    game_.MakeTraining();
    const TEndgameSource* tables = game_.Endgame();
    const QString position = QString::fromStdString(PositionText(board)) + (tables ? "+" : "");
    if (position == analysed_) return;
    analysed_ = position;
    final_ = false;
    analysis_->Start(board, tables,
                     [this](const TMeisterResult& result, bool final) { Show(result, final); });
    ShowState();
}

QString TfAnalyse::LineText(const std::vector<int>& pv) const {
    QStringList moves;
    TFeld board(game_.Board());
    for (const int place : pv) {
        const int player = board.AktSpieler();
        if (!THistory::PlayRecord(board, static_cast<uint8_t>(place))) break;
        moves << QStringLiteral("%1:%2").arg(player).arg(place == 0 ? 0 : PitNumber(place));
    }
    return moves.join(QLatin1Char(' '));
}

void TfAnalyse::Show(const TMeisterResult& result, bool final) {
    result_ = result;
    final_ = final;
    sgAnalyse->clear();
    const auto text = [this](const char* key) { return Text(key); };
    for (const TMeisterLine& line : result.Lines) {
        auto* row = new QTreeWidgetItem(sgAnalyse);
        row->setText(0, QString::number(line.Pit));
        row->setText(1, AnalysisValueText(line, text));
        row->setText(2, LineText(line.Pv));
        const bool best = std::find(result.Best.begin(), result.Best.end(), line.Pit) != result.Best.end();
        QFont font = row->font(1);
        font.setBold(best);
        row->setFont(1, font);
    }
    ShowState();
}

void TfAnalyse::ShowState() {
    QStringList lines;
    if (!game_.Running())
        lines << Text("statenogame");
    else if (!result_.Lines.empty())
        lines << FormatText(Text(final_ ? "statedone" : "statethinking"), {QString::number(result_.Depth)});
    if (const double progress = game_.EndgameProgress(); progress >= 0)
        lines << FormatText(Text("statetables"), {QString::number(static_cast<int>(progress * 100))});
    lState->setText(lines.join(QLatin1Char('\n')));
}

QStringList TfAnalyse::Rows() const {
    QStringList rows;
    for (int k = 0; k < sgAnalyse->topLevelItemCount(); ++k) {
        const QTreeWidgetItem* row = sgAnalyse->topLevelItem(k);
        rows << row->text(0) + QLatin1Char('\t') + row->text(1) + QLatin1Char('\t') + row->text(2);
    }
    return rows;
}

} // namespace kelani
