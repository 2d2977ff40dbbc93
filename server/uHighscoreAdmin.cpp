#include "server/uHighscoreAdmin.h"

#include "server/uAddress.h"
#include "server/uHighscoreService.h"

#include <charconv>
#include <cstdio>

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
            f.address = CanonicalAddress(value).value_or(value);
        else
            throw Usage{"unknown option " + flag};
    }
    return f;
}

// The length of the UTF-8 character starting at `at`; 0 when it is not one, or one of the C1
// controls (U+0080..U+009F) a terminal may obey.
size_t PrintableCharLength(const std::string& text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(i < text.size() ? text[i] : 0); };
    const unsigned char lead = byte(at);
    if (lead >= 0x20 && lead < 0x7F) return 1;
    const size_t length = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead >= 0xF5 || (lead == 0xC2 && byte(at + 1) < 0xA0)) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    return length;
}

// Stored text as the operator's terminal may show it: control characters (and the tab and line
// ends that would break the columns) and bytes that are no UTF-8 become "\xNN".
std::string Printable(const std::string& text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        if (const size_t length = PrintableCharLength(text, at); length > 0) {
            out.append(text, at, length);
            at += length;
            continue;
        }
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(text[at++]));
        out += escape;
    }
    return out;
}

// One tab-separated line per entry, long texts whole.
void PrintEntries(const std::vector<StoredEntry>& entries, std::ostream& out) {
    out << "id\tvariant\tpoints\topponent\tmoves\ttime\tname\temail\tland\taddress\treceived\n";
    for (const auto& stored : entries) {
        const Submission& e = stored.entry;
        out << stored.id << '\t' << e.variant << '\t' << PercentText(e.pointsHundredths) << '\t'
            << e.opponentStones << '\t' << e.moves << '\t' << TimeText(e.seconds) << '\t' << Printable(e.name)
            << '\t' << Printable(e.email) << '\t' << Printable(e.land) << '\t' << Printable(stored.address)
            << '\t' << Printable(stored.received) << '\n';
    }
}

// The one name, e-mail address or address a ban or unban names.
std::pair<BanKind, std::string> BanTarget(const std::string& command, const EntryFilter& f) {
    const int given = !f.name.empty() + !f.email.empty() + !f.address.empty();
    if (given != 1 || f.id != 0 || f.variant != 0)
        throw Usage{command + " needs exactly one of --name, --email, --address"};
    const BanKind kind = !f.name.empty()    ? BanKind::Name
                         : !f.email.empty() ? BanKind::Email
                                            : BanKind::Address;
    return {kind, f.name + f.email + f.address};
}

int Ban(HighscoreStore& store, const EntryFilter& f, std::ostream& out) {
    const auto [kind, value] = BanTarget("ban", f);
    out << "banned; " << store.Ban(kind, value) << " entries deleted\n";
    return 0;
}

int Unban(HighscoreStore& store, const EntryFilter& f, std::ostream& out) {
    const auto [kind, value] = BanTarget("unban", f);
    const bool lifted = store.Unban(kind, value);
    out << (lifted ? "ban lifted\n" : "no such ban\n");
    return lifted ? 0 : 1;
}

void PrintBans(const HighscoreStore& store, std::ostream& out) {
    out << "kind\tvalue\n";
    for (const auto& [kind, value] : store.Bans()) out << kind << '\t' << Printable(value) << '\n';
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
        if (command == "unban") return Unban(store, filter, out);
        if (command == "bans" && words.size() == 1) {
            PrintBans(store, out);
            return 0;
        }
        throw Usage{"admin needs list, delete, ban, unban or bans"};
    } catch (const Usage& usage) {
        err << "kelani-highscore-server: " << usage.problem << "\nusage:\n" << kAdminUsage;
        return 2;
    }
}

} // namespace kelani::server
