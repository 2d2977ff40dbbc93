// kelani-sound OUTDIR: writes the game's eleven recordings as OUTDIR/<name in lower case>.wav.
// The build runs it; the output is the same on every run.
#include "tools/sound/Recordings.h"

#include <algorithm>
#include <cctype>
#include <exception>
#include <iostream>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kelani-sound OUTDIR\n";
        return 2;
    }
    try {
        for (const kelani::sound::Recording& recording : kelani::sound::Recordings()) {
            std::string file = recording.name;
            std::transform(file.begin(), file.end(), file.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
            kelani::sound::WriteFile(std::string(argv[1]) + "/" + file + ".wav",
                                     kelani::sound::Render(recording));
        }
    } catch (const std::exception& e) {
        std::cerr << "kelani-sound: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
