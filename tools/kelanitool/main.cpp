#include "tools/kelanitool/KelaniTool.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <iostream>
#include <map>

namespace kelani::tool {
namespace {

std::map<std::string, Command>& Registry() {
    static std::map<std::string, Command> commands;
    return commands;
}

void PrintUsage() {
    std::cerr << "usage: kelanitool COMMAND [options]\n\ncommands:\n";
    for (const auto& [name, command] : Registry()) std::cerr << "  " << name << "  " << command.summary << "\n";
}

} // namespace

bool RegisterCommand(Command command) {
    Registry()[command.name] = std::move(command);
    return true;
}

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
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
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

} // namespace kelani::tool

int main(int argc, char** argv) {
    using namespace kelani::tool;
    if (argc < 2) {
        PrintUsage();
        return 2;
    }
    auto it = Registry().find(argv[1]);
    if (it == Registry().end()) {
        std::cerr << "kelanitool: unknown command '" << argv[1] << "'\n";
        PrintUsage();
        return 2;
    }
    try {
        return it->second.run(Args(argv + 2, argv + argc));
    } catch (const UsageError& e) {
        std::cerr << "kelanitool " << argv[1] << ": " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "kelanitool " << argv[1] << ": " << e.what() << "\n";
        return 2;
    }
}
