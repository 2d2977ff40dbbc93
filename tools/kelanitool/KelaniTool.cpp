#include "tools/kelanitool/KelaniTool.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdio>

namespace kelani::tool {

const std::string* FindOption(const Args& args, const std::string& name) {
    auto it = std::find(args.begin(), args.end(), name);
    if (it == args.end()) return nullptr;
    if (it + 1 == args.end()) throw UsageError(name + " needs a value");
    return &*(it + 1);
}

int IntOption(const Args& args, const std::string& name, int lo, int hi) {
    const std::string* text = FindOption(args, name);
    if (!text) throw UsageError(name + " is required");
    int value = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (ec != std::errc() || end != text->data() + text->size())
        throw UsageError(name + " must be a whole number, not '" + *text + "'");
    if (value < lo || value > hi)
        throw UsageError(name + " must be between " + std::to_string(lo) + " and " + std::to_string(hi));
    return value;
}

int IntOption(const Args& args, const std::string& name, int lo, int hi, int fallback) {
    return FindOption(args, name) ? IntOption(args, name, lo, hi) : fallback;
}

bool HasFlag(const Args& args, const std::string& name) {
    return std::find(args.begin(), args.end(), name) != args.end();
}

Args Positionals(const Args& args, const std::vector<std::string>& flags) {
    Args out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--", 0) == 0) {
            if (std::find(flags.begin(), flags.end(), a) == flags.end()) ++i; // skip the value
            continue;
        }
        out.push_back(a);
    }
    return out;
}

std::string JsonString(const std::string& utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

int MasterTime(const Args& args) {
    return IntOption(args, "--time-ms", 1, kMeisterMaxMs, kMeisterDefaultMs);
}

TRandom FixedRandom(const Args& args) {
    if (!FindOption(args, "--seed")) return TRandom();
    const auto seed = static_cast<uint32_t>(IntOption(args, "--seed", 0, INT_MAX));
    return TRandom([seed] { return seed; });
}

TComputerPlayer::TComputerPlayer(int level, int masterMs, TRandom random)
    : random_(std::move(random)), ki_(board_, random_) {
    ki_.SetLevel(level);
    ki_.SetMasterTime(masterMs);
}

int TComputerPlayer::Place(const TFeld& feld) {
    board_ = feld;
    const int pit = ki_.ChooseMove();
    return pit == 0 ? 0 : PitIndex(feld.AktSpieler(), pit);
}

} // namespace kelani::tool
