// libFuzzer target: any byte string read as a "his" stream (saved game) or an "hs" stream
// (highscore table) either loads or raises the stream's read error; what loads saves again and
// reads back to the same content. The same bytes stored as a file then go through the real file
// readers (.kel, hs%d.dat), so the files of tests/data are seeds as they are.
#include "records/uTHighscore.h"
#include "records/uTHistory.h"
#include "view/JwStream.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

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

// The file readers refuse damage with the container's error or the stream's read error.
void Files(const std::uint8_t* data, std::size_t size) {
    static const std::string file = "/tmp/fuzz_records-" + std::to_string(getpid()) + ".bin";
    {
        kelani::TFileStream out(file, kelani::TFileMode::fmCreate);
        out.WriteBuffer(data, static_cast<std::int64_t>(size));
    }
    try {
        kelani::THistory().LoadFromFile(file);
    } catch (const kelani::ECorruptFile&) {
    } catch (const kelani::EReadError&) {
    }
    try {
        kelani::THighscore().LoadFromFile(file);
    } catch (const kelani::ECorruptFile&) {
    } catch (const kelani::EReadError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (auto reader : {History, Table}) {
        kelani::TMemoryStream in(std::span<const std::uint8_t>(data, size));
        try {
            reader(in);
        } catch (const kelani::EReadError&) {
        } catch (const kelani::EWriteError&) {
        }
    }
    Files(data, size);
    return 0;
}
