#include "control/uTEndgameTables.h"

#include "game/uEndgameBuild.h"
#include "records/uEndgameFile.h"

#include <QtGlobal>
#include <filesystem>

namespace kelani {

namespace {

int Key(int variante, bool useStirnmulde) {
    return variante * 2 + (useStirnmulde ? 1 : 0);
}

// Thrown from the building's progress report to end it early.
struct TCancelled {};

std::filesystem::path PathOf(const QString& folder) {
    return std::filesystem::path(folder.toStdString());
}

// The table from the folder, of whatever stones it covers, or nullptr. A damaged file counts as
// none: the table is built anew and replaces it.
std::unique_ptr<TEndgameTable> Read(const QString& folder, int variante, bool useStirnmulde) {
    if (folder.isEmpty()) return nullptr;
    try {
        return LoadEndgameTable(PathOf(folder), variante, useStirnmulde);
    } catch (const EEndgameFile&) {
        return nullptr;
    }
}

} // namespace

TEndgameTables::TEndgameTables(QString programFolder, QString dataFolder, int stones, QObject* parent)
    : TWorker(parent), programFolder_(std::move(programFolder)), dataFolder_(std::move(dataFolder)),
      stones_(stones) {}

TEndgameTables::~TEndgameTables() {
    Stop();
}

int TableStonesFromEnvironment() {
    const QByteArray stones = qgetenv("KELANI_TABLE_STONES");
    bool ok = false;
    const int value = stones.toInt(&ok);
    return ok && value >= 0 && value <= kEndgameMaxStones ? value : kGameTableStones;
}

const TEndgameSource* TEndgameTables::For(int variante, bool useStirnmulde) {
    const int key = Key(variante, useStirnmulde);
    if (const auto found = ready_.find(key); found != ready_.end()) return found->second.get();
    if (working_ != key) Start(variante, useStirnmulde);
    return nullptr;
}

void TEndgameTables::Start(int variante, bool useStirnmulde) {
    progress_ = -1;
    working_ = Key(variante, useStirnmulde);
    Run([this, variante, useStirnmulde](const TDeliver& deliver) { Work(variante, useStirnmulde, deliver); });
}

void TEndgameTables::Work(int variante, bool useStirnmulde, const TDeliver& deliver) {
    std::shared_ptr<const TEndgameTable> table = Read(programFolder_, variante, useStirnmulde);
    if (!table) table = Read(dataFolder_, variante, useStirnmulde);
    const bool built = !table;
    if (built && stones_ == 0) {
        // Nothing to read and nothing to build: asked again, the same answer, without a retry.
        deliver([this] { Done(); });
        return;
    }
    if (built) {
        int percent = -1;
        auto report = [&](double done) {
            if (Stopping()) throw TCancelled{};
            progress_ = done;
            if (static_cast<int>(done * 100) == percent) return;
            percent = static_cast<int>(done * 100);
            deliver([this] {
                if (OnProgress) OnProgress();
            });
        };
        try {
            table =
                std::make_shared<TEndgameTable>(BuildEndgameTable(variante, useStirnmulde, stones_, report));
            std::filesystem::create_directories(PathOf(dataFolder_));
            WriteEndgameTable(PathOf(dataFolder_) / EndgameFileName(variante, useStirnmulde), *table);
        } catch (const TCancelled&) {
            return;
        } catch (const std::exception& error) {
            // A table that could not be stored is still good for this run.
            const QString message = QString::fromStdString(error.what());
            const bool lost = !table;
            deliver([this, message, lost] {
                if (lost) Done();
                if (OnFailed) OnFailed(message);
            });
            if (lost) return;
        }
    }
    deliver([this, table, built, variante, useStirnmulde] {
        Done();
        working_ = 0;
        progress_ = -1;
        ready_[Key(variante, useStirnmulde)] = table;
        if (OnReady) OnReady(built);
    });
}

} // namespace kelani
