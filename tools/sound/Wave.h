#pragma once
// Uncompressed PCM RIFF WAVE files: 8-bit unsigned mono or 16-bit signed stereo (or any mix of
// the two), little-endian, with the plain 44-byte header every player understands.
#include "tools/sound/Synth.h"

#include <cstdint>
#include <string>
#include <vector>

namespace kelani::sound {

struct WaveFormat {
    int rate;
    int channels; // 1: the mix of both sides; 2: left and right
    int bits;     // 8 (unsigned) or 16 (signed)
};

// The complete file. Samples are rounded and limited to the sample range (never wrapped).
std::vector<uint8_t> EncodeWave(const Signal& signal, const WaveFormat& format);

// Writes `bytes` to `path`; throws std::runtime_error when the file cannot be written.
void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace kelani::sound
