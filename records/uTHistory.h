#pragma once
// The record of a game: the settings it was started with and one TMove per move or forced pass.
// It is also the saved-game format: a game is saved as its history and loaded by replaying it.
//
// Saved game (*.kel), little-endian:
//   int32  format marker, always 2
//   int32  N, length of the container image that follows
//   N      stream container image, compressed and enciphered with ContainerKey, holding the
//          stream "his" and, for a training game only, the stream "trn"; nothing follows it
// Stream "his":
//   int32 Variante, int32 Schwierigkeit, int32 Startspieler, byte UseStirnmulde (1 = true),
//   byte SteineProMulde, byte Modus, then Name1, Name2, EMail1, EMail2, Land1, Land2 (each a
//   uint16 length and that many Windows-1252 bytes), int32 M, then M records of 9 bytes:
//   int32 Spieler, int32 Zeit, byte Mulde. A game set up in the position editor adds its start
//   position as one more text (uint16 length and bytes, the position text of uPositionText),
//   whose rule set, head pits, stones and player agree with the fields above; a game from the
//   start position writes nothing after the records.
// Stream "trn" (readers that know only "his" never look at it and load the game as played):
//   byte Training (1 = true), int32 R, then R records of 9 bytes: the moves taken back, the next
//   one to redo first.
#include <cstdint>
#include <string>
#include <vector>

namespace kelani {

// The game modes ("Modus"): who plays whom.
inline constexpr int kModeHumans = 0;        // human against human
inline constexpr int kModeComputerHuman = 1; // the computer (player 1) against a human
inline constexpr int kModeComputers = 2;     // computer against computer

class TStream;
class TFeld;

// One move (Mulde = the place played, 1..14) or forced pass (Mulde = 0).
struct TMove {
    static constexpr int RecordSize = 9;

    std::int32_t Spieler = 0; // 1 or 2
    std::int32_t Zeit = 0;    // seconds the player spent since his previous record
    std::uint8_t Mulde = 0;

    void SaveToStream(TStream& stream) const;
    void LoadFromStream(TStream& stream);
    bool operator==(const TMove&) const = default;
};

class THistory {
public:
    static constexpr std::int32_t FormatMarker = 2;
    // The most records a saved game holds. Some rule sets allow games that never end, so the
    // rules give no bound; this one is generous: the computer playing itself at its fastest
    // (a move every quarter second) takes three days to reach it. A larger count in a file is
    // damage, refused before anything is allocated, and no larger history is saved.
    static constexpr std::int32_t MaxRecords = 1000000;
    // The longest "his" stream: the fixed fields, six texts of the longest length, MaxRecords
    // records. A container announcing more is damage too, refused before it is unpacked.
    static constexpr std::int64_t MaxStreamSize =
        15 + 6 * (2 + 65535) + 4 + std::int64_t{MaxRecords} * TMove::RecordSize;
    static constexpr const char* ContainerKey = "Rv3mQ8wTz5JpLdHsYbNcE";
    static constexpr const char* StreamName = "his";
    static constexpr const char* TrainingStreamName = "trn";
    static constexpr std::int64_t MaxTrainingStreamSize = 5 + std::int64_t{MaxRecords} * TMove::RecordSize;

    std::int32_t Variante = 4;
    bool UseStirnmulde = false;
    std::uint8_t SteineProMulde = 4;
    std::int32_t Schwierigkeit = 1;
    std::int32_t Startspieler = 1;
    std::uint8_t Modus = 0; // 0 human-human, 1 computer (player 1)-human, 2 computer-computer
    std::string Name1, Name2, EMail1, EMail2, Land1, Land2;
    // A move was taken back or a hint asked for: the game is practice and enters no highscore.
    bool Training = false;
    // The position text the game started from when it was set up, empty for the start position.
    std::string StartPosition;

    // Removes all records, the moves taken back and the training mark, and stores the settings of
    // a new game.
    void Init(std::string name1, std::string name2, std::string email1, std::string email2, std::string land1,
              std::string land2, std::int32_t variante, bool useStirnmulde, std::uint8_t steineProMulde,
              std::int32_t schwierigkeit, std::int32_t startspieler, std::uint8_t modus);

    void Clear() {
        moves_.clear();
        redo_.clear();
    }
    int Count() const { return static_cast<int>(moves_.size()); }
    const TMove& Moves(int i) const { return moves_.at(static_cast<size_t>(i)); }
    // A new move: the moves taken back are gone for good.
    void AddMove(std::int32_t zeit, std::uint8_t mulde, std::int32_t spieler);

    // Taking back and redoing: the last record moves to the front of the moves taken back, and
    // back again. Each does nothing when there is no record to move.
    void TakeBackRecord();
    void RedoRecord();
    // The moves taken back, `RedoMoves(0)` the next to redo.
    int RedoCount() const { return static_cast<int>(redo_.size()); }
    const TMove& RedoMoves(int i) const { return redo_.at(redo_.size() - 1 - static_cast<size_t>(i)); }
    void ClearRedo() { redo_.clear(); }

    // Records that are moves, not passes.
    int MoveCount() const;
    int PlayerMoveCount(int player) const;
    // Seconds player p spent, passes included; kept within the 32-bit range for damaged files.
    std::int32_t PlayerTime(int player) const;
    // Whether the computer plays this player in the stored mode.
    bool IsComputer(int player) const { return player == 1 ? Modus != kModeHumans : Modus == kModeComputers; }
    // Settings the rules engine can play: variant 1..6, 3..8 stones per pit, first player 1 or 2,
    // mode 0..2.
    bool HasPlayableSettings() const;

    // Sets board to the start position of these settings with Startspieler to move, or to the
    // set-up StartPosition.
    void StartBoard(TFeld& board) const;
    // Plays one record on board: a move when mulde is a legal place, a pass when mulde is 0 and
    // the player to move has no legal move. Anything else changes nothing and returns false.
    static bool PlayRecord(TFeld& board, std::uint8_t mulde);
    // Starts board and replays the records in order (Spieler is not compared with the player to
    // move); returns how many replayed before the first that did not, Count() when all did.
    int Replay(TFeld& board) const;

    // More than MaxRecords records raise EWriteError and write nothing.
    void SaveToStream(TStream& stream) const;
    // The "trn" layout; the same bounds as the "his" stream, for the moves taken back.
    void SaveTrainingToStream(TStream& stream) const;
    void LoadTrainingFromStream(TStream& stream);
    // Reads the "his" layout. A stream that ends early, a record count that is negative, above
    // MaxRecords or larger than what the stream still holds, a record of a player other than
    // 1 and 2, or a start position that is no position or disagrees with the settings raises the
    // stream's read error; the count is checked before anything is allocated
    // for the records.
    void LoadFromStream(TStream& stream);

    // Replaces the file as a whole (the old file stays intact when writing fails); errors of the
    // file system propagate. The "trn" stream is written only for a training game (or one with
    // moves taken back), so any other game is saved as it always was. More records than MaxRecords, played
    // and taken back together, raise EWriteError.
    void SaveToFile(const std::string& fileName) const;
    // True after reading a saved game. False, leaving this history unchanged, when the file does
    // not exist, does not start with the marker 2, or holds settings the rules cannot play. A
    // damaged container raises ECorruptFile, a file shorter than it declares the read error;
    // this history then stays unchanged too.
    bool LoadFromFile(const std::string& fileName);

    bool operator==(const THistory&) const = default;

private:
    static void SaveRecords(TStream& stream, const std::vector<TMove>& records);
    static void LoadRecords(TStream& stream, std::vector<TMove>& records);
    // The set-up start position parses and agrees with the settings.
    bool StartAgrees() const;

    std::vector<TMove> moves_;
    // Taken back, the most recent last.
    std::vector<TMove> redo_;
};

} // namespace kelani
