// libFuzzer target: any byte string read as a "his" stream (saved game) or an "hs" stream
// (highscore table) either loads or raises the stream's read error; what loads saves again and
// reads back to the same content. The first input byte picks the reader.
#include "records/uTHighscore.h"
#include "records/uTHistory.h"
#include "streams/JwStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void History(kelani::TMemoryStream& in) {
    kelani::THistory history;
    history.LoadFromStream(in);
    kelani::TMemoryStream out;
    history.SaveToStream(out);
    out.SetPosition(0);
    kelani::THistory again;
    again.LoadFromStream(out);
    if (!(again == history)) std::abort();
}

void Table(kelani::TMemoryStream& in) {
    kelani::THighscore table;
    table.LoadFromStream(in);
    if (table.Count() > table.Capacity) std::abort();
    for (int i = 0; i < table.Count(); ++i)
        if (table.GetText("punkte", i).empty() || table.GetText("zeit", i).empty()) std::abort();
    kelani::TMemoryStream out;
    table.SaveToStream(out);
    out.SetPosition(0);
    kelani::THighscore again;
    again.LoadFromStream(out);
    if (again.Count() != table.Count()) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    kelani::TMemoryStream in(std::span<const std::uint8_t>(data + 1, size - 1));
    try {
        if (data[0] % 2 == 0)
            History(in);
        else
            Table(in);
    } catch (const kelani::EReadError&) {
    } catch (const kelani::EWriteError&) {
    }
    return 0;
}
