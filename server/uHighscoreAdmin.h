#pragma once
// The operator's commands on the worldwide table. They open the same database as the running
// server (SQLite waits for the server's write lock, PostgreSQL serialises writers), so they work
// while it runs.
#include "server/uHighscoreStore.h"

#include <ostream>
#include <string>
#include <vector>

namespace kelani::server {

inline constexpr const char* kAdminUsage =
    "  admin list   [--id N] [--variant V] [--name NAME] [--email ADDR] [--address IP]\n"
    "  admin delete  --id N | --name NAME | --email ADDR | --address IP  [--variant V]\n"
    "  admin ban     --name NAME | --email ADDR | --address IP\n"
    "  admin unban   --name NAME | --email ADDR | --address IP\n"
    "  admin bans\n";

// Runs one admin command (its words after "admin"). Returns the exit code: 0 done, 1 no such ban to
// lift, 2 bad usage.
int RunAdmin(HighscoreStore& store, const std::vector<std::string>& words, std::ostream& out,
             std::ostream& err);

} // namespace kelani::server
