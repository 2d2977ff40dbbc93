#pragma once
// The game's eleven recordings: names, stored formats, lengths and how each is made.
#include "tools/sound/Wave.h"

#include <string>
#include <vector>

namespace kelani::sound {

struct Recording {
    std::string name; // the resource name; the file is its lower-case form plus ".wav"
    WaveFormat format;
    double seconds;
    bool tune;                // music (a larger room, a long fade) rather than stones
    double fadeSeconds;       // the raised-cosine fade at the end
    void (*compose)(Signal&); // draws the recording's events into a silent signal of its length
};

const std::vector<Recording>& Recordings();

// The finished file: composed, given a touch of room, levelled below full scale, faded out.
std::vector<uint8_t> Render(const Recording& recording);

} // namespace kelani::sound
