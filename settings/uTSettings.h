#pragma once
// The one owner of settings.ini: its path and every key the game keeps in it. Section "settings"
// holds sound, animation mode, window state and language; section "newgame" the new-game dialog's
// last choices; section "worldwide" where the worldwide highscore lives; section "online" the play
// server and the seat of an unfinished online game. No other code names the file or a key.
#include "game/uTMeister.h"

#include <cstdint>
#include <string>

namespace kelani {

// Animation modes.
constexpr uint8_t kNoAnimation = 0;
constexpr uint8_t kStoneAnimation = 1;
constexpr uint8_t kHandAnimation = 2;

// The new-game dialog's choices as stored: list indices as the dialog shows them, the variant as
// its number, texts in Windows-1252.
struct TNewGameChoices {
    int Difficulty = 0;
    int Mode = 0;
    int Variant = 3;
    int Stones = 4;
    bool UseHead = true;
    std::string Name1, Name2;
    std::string Mail1, Mail2;
    int Land1 = 0, Land2 = 0;
};

// The seat of an online game, kept so a closed game can take it again: the server that holds the
// game, the game's id, the seat's secret token, the seat (1 or 2) and the number of the last move
// the game has.
struct TOnlineSeat {
    std::string Server, Game, Token;
    int Seat = 0;
    int Last = 0;
};

class TKelaniSettings {
public:
    // `folder` is the folder of settings.ini (the GUI passes kelani::DataFolder()).
    explicit TKelaniSettings(std::string folder);

    std::string FileName() const;

    bool Sound = false;
    bool Maximized = false;
    uint8_t Animation = kNoAnimation;
    // Milliseconds the Master thinks per move; only read, set by hand in the file.
    int MasterTime = kMeisterDefaultMs;
    // The board in high contrast, and the notes in a larger font.
    bool HighContrast = false;
    bool LargeNotes = false;

    // Reads "sound", then the three animation keys (a later key that is set wins), then
    // "maximized", "mastertime", "highcontrast" and "largenotes". Without a file: sound on, hand
    // animation, normal window, one second for the Master, no high contrast, normal notes; a
    // thinking time outside 50..10000 ms is taken as one second.
    void Load();
    // Writes "sound", "handani", "stoneani", "noani", "maximized", "highcontrast", "largenotes" in
    // this order; exactly one animation key is 1. Throws EIniFileException when the file cannot be
    // written, so a caller that saves from a destructor must catch it.
    void Save() const;

    // "german", "english", or empty when no language has been chosen yet (the first start asks).
    std::string Language() const;
    // Throws EIniFileException when the file cannot be written.
    void SaveLanguage(const std::string& language) const;

    // Every key that is not stored keeps its value from `defaults`.
    TNewGameChoices NewGameChoices(const TNewGameChoices& defaults) const;
    // Throws EIniFileException when the file cannot be written.
    void SaveNewGameChoices(const TNewGameChoices& choices) const;

    // "server" (a host name, optionally with ":port") and "viewurl" of the worldwide highscore;
    // a key that is not stored leaves its argument as it is.
    void ReadWorldwide(std::string& server, std::string& viewUrl) const;

    // "server" of section "online", the play server's ws:// or wss:// address; empty when none.
    std::string OnlineServer() const;
    // The unfinished online game's seat; an empty Game when there is none.
    TOnlineSeat OnlineSeat() const;
    // Stores the seat, or forgets it when its Game is empty. Throws EIniFileException when the
    // file cannot be written.
    void SaveOnlineSeat(const TOnlineSeat& seat) const;

private:
    std::string folder_;
};

} // namespace kelani
