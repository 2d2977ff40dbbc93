#pragma once
// What the servers' command lines share.
#include <string>

namespace kelani::server {

// The program's complaint about its command line; it ends the program.
using UsageError = void (*)(const std::string& problem);

// `text` as a whole decimal number from lo to hi; anything else goes to `usage` with the option's
// `name`.
int NumberOption(const std::string& name, const char* text, int lo, int hi, UsageError usage);

} // namespace kelani::server
