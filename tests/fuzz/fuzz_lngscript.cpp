// libFuzzer target for the language-script parser and the toolkit's integer conversion: any text
// is split, sectioned and looked up without failing, and the parser's promises hold for it.
#include "settings/uIniFile.h"
#include "settings/uLngScript.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const kelani::TStrings script = kelani::SplitScriptLines(text);
    for (const char* language : {"german", "english", ""}) {
        for (const auto& line : kelani::ExtractScriptSection(script, language)) {
            Check(!line.empty() && kelani::TrimScript(line) == line && line.front() != ';' &&
                  line.front() != '[');
            kelani::TScriptEntry entry;
            if (!kelani::ParseScriptEntry(line, entry)) continue;
            Check(kelani::ScriptString({line}, entry.Key) == entry.Value);
            int value = 0;
            kelani::ScriptValueToInt(entry.Value, value);
        }
    }
    int number = 0;
    if (kelani::TryStrToInt(text, number)) {
        int again = 0;
        Check(kelani::TryStrToInt(std::to_string(number), again) && again == number);
    }
    return 0;
}
