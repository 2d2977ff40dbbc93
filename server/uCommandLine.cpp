#include "server/uCommandLine.h"

#include <cstdlib>

namespace kelani::server {

int NumberOption(const std::string& name, const char* text, int lo, int hi, UsageError usage) {
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (*text != '\0' && *end == '\0' && number >= lo && number <= hi) return static_cast<int>(number);
    usage(name + " must be a number from " + std::to_string(lo) + " to " + std::to_string(hi));
    return lo;
}

} // namespace kelani::server
