#include "tools/sound/Wave.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace kelani::sound {
namespace {

void PutU16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t value) {
    PutU16(out, value & 0xFFFF);
    PutU16(out, value >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char (&tag)[5]) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

void PutSample(std::vector<uint8_t>& out, double value, int bits) {
    value = std::clamp(value, -1.0, 1.0);
    if (bits == 8) {
        out.push_back(static_cast<uint8_t>(std::lround(128.0 + 127.0 * value)));
    } else {
        PutU16(out, static_cast<uint16_t>(static_cast<int16_t>(std::lround(32767.0 * value))));
    }
}

} // namespace

std::vector<uint8_t> EncodeWave(const Signal& signal, const WaveFormat& format) {
    if ((format.bits != 8 && format.bits != 16) || (format.channels != 1 && format.channels != 2) ||
        format.rate != signal.rate)
        throw std::invalid_argument("unsupported wave format");
    const uint32_t blockAlign = format.channels * format.bits / 8;
    const auto dataSize = static_cast<uint32_t>(signal.Frames() * blockAlign);
    std::vector<uint8_t> out;
    out.reserve(44 + dataSize);
    PutTag(out, "RIFF");
    PutU32(out, 36 + dataSize);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    PutU32(out, 16);
    PutU16(out, 1); // PCM
    PutU16(out, format.channels);
    PutU32(out, format.rate);
    PutU32(out, format.rate * blockAlign);
    PutU16(out, blockAlign);
    PutU16(out, format.bits);
    PutTag(out, "data");
    PutU32(out, dataSize);
    for (size_t i = 0; i < signal.Frames(); ++i) {
        if (format.channels == 1) {
            PutSample(out, 0.5 * (signal.left[i] + signal.right[i]), format.bits);
        } else {
            PutSample(out, signal.left[i], format.bits);
            PutSample(out, signal.right[i], format.bits);
        }
    }
    return out;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file.flush()) throw std::runtime_error("cannot write " + path);
}

} // namespace kelani::sound
