#include "records/uTHistory.h"

#include "game/uTFeld.h"
#include "records/uPositionText.h"
#include "records/uRecordFile.h"

#include <algorithm>
#include <filesystem>

namespace kelani {

// ---- TMove ----

void TMove::SaveToStream(TStream& stream) const {
    StreamWriteInteger(stream, Spieler);
    StreamWriteInteger(stream, Zeit);
    StreamWriteByte(stream, Mulde);
}

void TMove::LoadFromStream(TStream& stream) {
    Spieler = StreamReadInteger(stream);
    Zeit = StreamReadInteger(stream);
    Mulde = StreamReadByte(stream);
}

// ---- THistory: recording ----

void THistory::Init(std::string name1, std::string name2, std::string email1, std::string email2,
                    std::string land1, std::string land2, std::int32_t variante, bool useStirnmulde,
                    std::uint8_t steineProMulde, std::int32_t schwierigkeit, std::int32_t startspieler,
                    std::uint8_t modus) {
    Clear();
    Training = false;
    StartPosition.clear();
    Name1 = std::move(name1);
    Name2 = std::move(name2);
    EMail1 = std::move(email1);
    EMail2 = std::move(email2);
    Land1 = std::move(land1);
    Land2 = std::move(land2);
    Variante = variante;
    UseStirnmulde = useStirnmulde;
    SteineProMulde = steineProMulde;
    Schwierigkeit = schwierigkeit;
    Startspieler = startspieler;
    Modus = modus;
}

void THistory::AddMove(std::int32_t zeit, std::uint8_t mulde, std::int32_t spieler) {
    moves_.push_back(TMove{spieler, zeit, mulde});
    redo_.clear();
}

void THistory::TakeBackRecord() {
    if (moves_.empty()) return;
    redo_.push_back(moves_.back());
    moves_.pop_back();
}

void THistory::RedoRecord() {
    if (redo_.empty()) return;
    moves_.push_back(redo_.back());
    redo_.pop_back();
}

int THistory::MoveCount() const {
    return static_cast<int>(
        std::count_if(moves_.begin(), moves_.end(), [](const TMove& m) { return m.Mulde != 0; }));
}

int THistory::PlayerMoveCount(int player) const {
    return static_cast<int>(std::count_if(moves_.begin(), moves_.end(), [player](const TMove& m) {
        return m.Spieler == player && m.Mulde != 0;
    }));
}

std::int32_t THistory::PlayerTime(int player) const {
    std::int64_t sum = 0;
    for (const TMove& m : moves_)
        if (m.Spieler == player) sum += m.Zeit;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(sum, INT32_MIN, INT32_MAX));
}

bool THistory::HasPlayableSettings() const {
    return Variante >= 1 && Variante <= 6 && SteineProMulde >= 3 && SteineProMulde <= 8 &&
           IsPlayer(Startspieler) && Modus <= 2;
}

// ---- THistory: replay ----

void THistory::StartBoard(TFeld& board) const {
    if (!StartPosition.empty()) {
        board.Assign(ParsePosition(StartPosition));
        return;
    }
    board.SetSteineProMulde(SteineProMulde);
    board.SetUseStirnmulde(UseStirnmulde);
    board.SetVariante(Variante);
    board.Reset();
    board.SetAktSpieler(Startspieler);
}

bool THistory::PlayRecord(TFeld& board, std::uint8_t mulde) {
    if (mulde == 0) {
        if (!board.HasNoLegalMove()) return false;
        board.Skip();
        return true;
    }
    if (!board.IsLegalMove(mulde)) return false;
    board.DoMove(mulde);
    return true;
}

int THistory::Replay(TFeld& board) const {
    StartBoard(board);
    int played = 0;
    while (played < Count() && PlayRecord(board, moves_[static_cast<size_t>(played)].Mulde)) ++played;
    return played;
}

// ---- THistory: streams and files ----

void THistory::SaveRecords(TStream& stream, const std::vector<TMove>& records) {
    StreamWriteInteger(stream, static_cast<std::int32_t>(records.size()));
    for (const TMove& m : records) m.SaveToStream(stream);
}

void THistory::LoadRecords(TStream& stream, std::vector<TMove>& records) {
    const std::int32_t count = StreamReadInteger(stream);
    // A damaged count must not make us allocate or read beyond what is there.
    if (count < 0 || count > MaxRecords || count > stream.Remaining() / TMove::RecordSize) throw EReadError();
    records.resize(static_cast<size_t>(count));
    for (TMove& m : records) {
        m.LoadFromStream(stream);
        if (!IsPlayer(m.Spieler)) throw EReadError();
    }
}

void THistory::SaveToStream(TStream& stream) const {
    if (Count() > MaxRecords)
        throw EWriteError("A game of " + std::to_string(Count()) + " records cannot be saved: at most " +
                          std::to_string(MaxRecords) + " fit a saved game");
    StreamWriteInteger(stream, Variante);
    StreamWriteInteger(stream, Schwierigkeit);
    StreamWriteInteger(stream, Startspieler);
    StreamWriteBoolean(stream, UseStirnmulde);
    StreamWriteByte(stream, SteineProMulde);
    StreamWriteByte(stream, Modus);
    for (const std::string* text : {&Name1, &Name2, &EMail1, &EMail2, &Land1, &Land2})
        StreamWriteString(stream, *text);
    SaveRecords(stream, moves_);
    if (!StartPosition.empty()) StreamWriteString(stream, StartPosition);
}

void THistory::LoadFromStream(TStream& stream) {
    Variante = StreamReadInteger(stream);
    Schwierigkeit = StreamReadInteger(stream);
    Startspieler = StreamReadInteger(stream);
    UseStirnmulde = StreamReadBoolean(stream);
    SteineProMulde = StreamReadByte(stream);
    Modus = StreamReadByte(stream);
    for (std::string* text : {&Name1, &Name2, &EMail1, &EMail2, &Land1, &Land2})
        *text = StreamReadString(stream);
    Clear();
    LoadRecords(stream, moves_);
    StartPosition = stream.Remaining() > 0 ? StreamReadString(stream) : std::string();
    if (!StartPosition.empty() && !StartAgrees()) throw EReadError();
}

void THistory::SaveTrainingToStream(TStream& stream) const {
    StreamWriteBoolean(stream, Training);
    // Stored in the order they are redone, the same order as the played records.
    SaveRecords(stream, std::vector<TMove>(redo_.rbegin(), redo_.rend()));
}

void THistory::LoadTrainingFromStream(TStream& stream) {
    Training = StreamReadBoolean(stream);
    std::vector<TMove> next;
    LoadRecords(stream, next);
    redo_.assign(next.rbegin(), next.rend());
}

bool THistory::StartAgrees() const {
    try {
        const TFeld start = ParsePosition(StartPosition);
        return start.Variante() == Variante && start.UseStirnmulde() == UseStirnmulde &&
               start.SteineProMulde() == SteineProMulde && start.AktSpieler() == Startspieler;
    } catch (const EPositionText&) {
        return false;
    }
}

void THistory::SaveToFile(const std::string& fileName) const {
    if (std::int64_t{Count()} + RedoCount() > MaxRecords)
        throw EWriteError("A game of " + std::to_string(Count() + RedoCount()) +
                          " records cannot be saved: at most " + std::to_string(MaxRecords) +
                          " fit a saved game");
    TMemoryStream his;
    SaveToStream(his);
    std::vector<TRecordEntry> entries = {{StreamName, &his}};
    TMemoryStream trn;
    if (Training || RedoCount() > 0) {
        SaveTrainingToStream(trn);
        entries.push_back({TrainingStreamName, &trn});
    }
    TMemoryStream file;
    StreamWriteInteger(file, FormatMarker);
    StreamWriteBlock(file, PackRecordStreams(ContainerKey, entries));
    SaveFileAtomically(fileName, file);
}

bool THistory::LoadFromFile(const std::string& fileName) {
    if (!std::filesystem::exists(fileName)) return false;
    TFileStream file(fileName, TFileMode::fmOpenRead);
    // A file too short to hold the marker is no saved game either.
    if (file.Size() < 4 || StreamReadInteger(file) != FormatMarker) return false;
    TMemoryStream image;
    StreamReadBlock(file, image);
    std::vector<TMemoryStream> streams = UnpackRecordStreams(
        ContainerKey, {{StreamName, MaxStreamSize}, {TrainingStreamName, MaxTrainingStreamSize}}, image);
    THistory loaded;
    loaded.LoadFromStream(streams[0]);
    if (streams[1].Size() > 0) loaded.LoadTrainingFromStream(streams[1]);
    if (!loaded.HasPlayableSettings()) return false;
    *this = std::move(loaded);
    return true;
}

} // namespace kelani
