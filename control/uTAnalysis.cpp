#include "control/uTAnalysis.h"

#include "components/uFormat.h"

#include <cstdlib>

namespace kelani {

void TAnalysis::Start(const TFeld& feld, const TEndgameSource* tables, TDone done) {
    Stop();
    // The worker is joined: the board is this thread's until the run begins.
    board_.Assign(feld);
    Run([this, tables, done = std::move(done)](const TDeliver& deliver) {
        TMeisterLimits limits;
        limits.AllPits = true;
        limits.Stop = StopFlag();
        limits.Endgame = tables;
        // Short rounds first, so the panel fills at once and then sharpens.
        for (int ms = kAnalysisFirstMs; !Stopping(); ms *= 2) {
            limits.TimeMs = ms;
            const TMeisterResult result = meister_.Search(board_, limits);
            if (Stopping()) return;
            const bool final = result.Exact || result.Lines.empty() || ms >= kAnalysisMostMs ||
                               result.Depth >= kMeisterMaxPly;
            deliver([this, done, result, final] {
                if (final) Done();
                if (!result.Lines.empty()) done(result, final);
            });
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
