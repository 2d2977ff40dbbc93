#include "tools/kelanitool/KelaniTool.h"

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
    for (const auto& [name, command] : Registry())
        std::cerr << "  " << name << "  " << command.summary << "\n";
}

} // namespace

bool RegisterCommand(Command command) {
    Registry()[command.name] = std::move(command);
    return true;
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
