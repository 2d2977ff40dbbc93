#include "server/uHighscoreAdmin.h"

#include "server/uHighscoreService.h"

#include <charconv>

namespace kelani::server {
namespace {

struct Usage {
    std::string problem;
};

long long Number(const std::string& flag, const std::string& text, long long hi) {
    long long value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < 1 || value > hi)
        throw Usage{flag + " needs a number from 1 to " + std::to_string(hi)};
    return value;
}

EntryFilter ParseFilter(const std::vector<std::string>& words) {
    EntryFilter f;
    for (size_t i = 1; i < words.size(); i += 2) {
        const std::string& flag = words[i];
        if (i + 1 >= words.size()) throw Usage{flag + " needs a value"};
        const std::string& value = words[i + 1];
        if (flag == "--id")
            f.id = Number(flag, value, 1LL << 62);
        else if (flag == "--variant")
            f.variant = static_cast<int>(Number(flag, value, 6));
        else if (flag == "--name")
            f.name = value;
        else if (flag == "--email")
            f.email = value;
        else if (flag == "--address")
            f.address = value;
        else
            throw Usage{"unknown option " + flag};
    }
    return f;
}

// One tab-separated line per entry, long texts as they are.
void PrintEntries(const std::vector<StoredEntry>& entries, std::ostream& out) {
    out << "id\tvariant\tpoints\topponent\tmoves\ttime\tname\temail\tland\taddress\treceived\n";
    for (const auto& stored : entries) {
        const Submission& e = stored.entry;
        out << stored.id << '\t' << e.variant << '\t' << PercentText(e.pointsHundredths) << '\t'
            << e.opponentStones << '\t' << e.moves << '\t' << TimeText(e.seconds) << '\t' << e.name << '\t'
            << e.email << '\t' << e.land << '\t' << stored.address << '\t' << stored.received << '\n';
    }
}

int Ban(HighscoreStore& store, const EntryFilter& f, std::ostream& out) {
    const int given = !f.name.empty() + !f.email.empty() + !f.address.empty();
    if (given != 1 || f.id != 0 || f.variant != 0)
        throw Usage{"ban needs exactly one of --name, --email, --address"};
    const BanKind kind = !f.name.empty()    ? BanKind::Name
                         : !f.email.empty() ? BanKind::Email
                                            : BanKind::Address;
    const int deleted = store.Ban(kind, f.name + f.email + f.address);
    out << "banned; " << deleted << " entries deleted\n";
    return 0;
}

} // namespace

int RunAdmin(HighscoreStore& store, const std::vector<std::string>& words, std::ostream& out,
             std::ostream& err) {
    try {
        const std::string command = words.empty() ? "" : words[0];
        const EntryFilter filter = ParseFilter(words);
        if (command == "list") {
            PrintEntries(store.List(filter), out);
            return 0;
        }
        if (command == "delete") {
            if (filter.id == 0 && filter.name.empty() && filter.email.empty() && filter.address.empty())
                throw Usage{"delete needs --id, --name, --email or --address"};
            out << store.Delete(filter) << " entries deleted\n";
            return 0;
        }
        if (command == "ban") return Ban(store, filter, out);
        throw Usage{"admin needs list, delete or ban"};
    } catch (const Usage& usage) {
        err << "kelani-highscore-server: " << usage.problem << "\nusage:\n" << kAdminUsage;
        return 2;
    }
}

} // namespace kelani::server
