// kelanitool hs: inspect highscore tables ("hs<variant>.dat").
//   hs dump FILE
#include "tools/kelanitool/KelaniTool.h"

#include "base/uCodePage.h"
#include "records/uTHighscore.h"

#include <filesystem>
#include <iostream>

namespace kelani::tool {
namespace {

// One entry: every value raw by its key, and the table's display texts of points and time.
std::string EntryJson(const THighscore& table, int i) {
    const TJwValueList& entry = table.Entry(i);
    std::string out = "{\"rank\":" + std::to_string(i + 1);
    for (int k = 0; k < entry.Count(); ++k) {
        const TJwValue& value = entry.Items(k);
        const std::string raw = value.PlainText();
        const bool isText = value.ValueType() == TJwValueType::Text;
        const bool isFlag = value.ValueType() == TJwValueType::Boolean;
        out += ",\"" + value.Name() + "\":" +
               (isText   ? JsonString(Cp1252ToUtf8(raw))
                : isFlag ? (raw == "0" ? "false" : "true")
                         : raw);
    }
    return out + ",\"points\":" + JsonString(table.GetText("punkte", i)) +
           ",\"time\":" + JsonString(table.GetText("zeit", i)) + "}";
}

int RunDump(const Args& args) {
    const Args files = Positionals(args);
    if (files.size() != 1) throw UsageError("hs dump takes one FILE");
    if (!std::filesystem::exists(files[0])) throw std::runtime_error("'" + files[0] + "' does not exist");
    THighscore table;
    table.LoadFromFile(files[0]);
    std::cout << "{\"file\":" << JsonString(files[0]) << ",\"count\":" << table.Count() << ",\"entries\":[";
    for (int i = 0; i < table.Count(); ++i) std::cout << (i ? "," : "") << EntryJson(table, i);
    std::cout << "]}\n";
    return 0;
}

int RunHs(const Args& args) {
    if (args.empty()) throw UsageError("hs dump FILE");
    if (args[0] == "dump") return RunDump(Args(args.begin() + 1, args.end()));
    throw UsageError("unknown hs command '" + args[0] + "'");
}

const bool registered = RegisterCommand({"hs", "dump FILE: a highscore table as JSON", RunHs});

} // namespace
} // namespace kelani::tool
