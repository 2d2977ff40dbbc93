#include "control/uTAnalysis.h"

#include "components/uFormat.h"

#include <QMetaObject>
#include <cstdlib>

namespace kelani {

TAnalysis::TAnalysis(QObject* parent) : QObject(parent) {}

TAnalysis::~TAnalysis() {
    Stop();
}

void TAnalysis::Join() {
    if (worker_.joinable()) worker_.join();
}

void TAnalysis::Stop() {
    stop_ = true;
    Join();
    ++generation_;
    thinking_ = false;
}

void TAnalysis::Start(const TFeld& feld, const TEndgameSource* tables, TDone done) {
    Stop();
    board_.Assign(feld);
    stop_ = false;
    thinking_ = true;
    const unsigned generation = generation_;
    worker_ = std::thread([this, tables, generation, done = std::move(done)] {
        TMeisterLimits limits;
        limits.AllPits = true;
        limits.Stop = &stop_;
        limits.Endgame = tables;
        // Short rounds first, so the panel fills at once and then sharpens.
        for (int ms = kAnalysisFirstMs; !stop_; ms *= 2) {
            limits.TimeMs = ms;
            const TMeisterResult result = meister_.Search(board_, limits);
            const bool final = stop_ || result.Exact || result.Lines.empty() || ms >= kAnalysisMostMs ||
                               result.Depth >= kMeisterMaxPly;
            if (stop_) return;
            QMetaObject::invokeMethod(
                this,
                [this, generation, done, result, final] {
                    if (generation != generation_) return;
                    if (final) {
                        Join();
                        thinking_ = false;
                    }
                    if (!result.Lines.empty()) done(result, final);
                },
                Qt::QueuedConnection);
            if (final) return;
        }
    });
}

QString AnalysisValueText(const TMeisterLine& line, const std::function<QString(const char*)>& text) {
    if (const int plies = MeisterPliesToEnd(line.Value))
        return FormatText(text(line.Value > 0 ? "anawon" : "analost"), {QString::number(plies)});
    if (!line.Exact)
        return FormatText(text("anaabout"),
                          {(line.Value > 0 ? QStringLiteral("+") : QString()) + QString::number(line.Value)});
    if (line.Value == 0) return text("anadraw");
    return FormatText(text(line.Value > 0 ? "anawins" : "analoses"), {QString::number(std::abs(line.Value))});
}

} // namespace kelani
