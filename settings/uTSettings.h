#pragma once
// The preferences the game holds in memory while it runs: sound, animation mode and whether the
// main window was maximised. Section "settings" of settings.ini; the language and the new-game
// choices are read and written directly in the file by the windows that use them.
#include <cstdint>
#include <string>

namespace kelani {

// Animation modes.
constexpr uint8_t kNoAnimation = 0;
constexpr uint8_t kStoneAnimation = 1;
constexpr uint8_t kHandAnimation = 2;

inline constexpr const char* kSettingsSection = "settings";
inline constexpr const char* kNewGameSection = "newgame";

class TKelaniSettings {
public:
    // `folder` is the folder of settings.ini (the GUI passes kelani::DataFolder()).
    explicit TKelaniSettings(std::string folder);

    bool Sound = false;
    bool Maximized = false;
    uint8_t Animation = kNoAnimation;

    // Reads "sound", then the three animation keys (a later key that is set wins), then
    // "maximized". Without a file: sound on, hand animation, normal window.
    void Load();
    // Writes "sound", "handani", "stoneani", "noani", "maximized" in this order; exactly one
    // animation key is 1. Throws EIniFileException when the file cannot be written, so a caller
    // that saves from a destructor must catch it.
    void Save() const;

private:
    std::string folder_;
};

} // namespace kelani
