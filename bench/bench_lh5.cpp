// -lh5- speed and ratio against zlib level 6 on the same inputs: a text corpus (the system's
// licence texts), a synthetic 24-bit board picture, the pictures installed under /usr/share, and
// the game's own pictures as the art tool packs them.
// Counter "ratio" = compressed size / original size. Also the load of a container stored in
// descending name order.
#include "view/JwStream.h"
#include "view/uLh5.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace {

using Bytes = std::vector<std::uint8_t>;

// The regular files below folder (symbolic links left out), in name order, up to limit bytes.
void AppendFiles(Bytes& out, const std::filesystem::path& folder, const std::string& extension,
                 std::size_t limit) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder, ec))
        if (!e.is_symlink() && e.is_regular_file() &&
            (extension.empty() || e.path().extension() == extension))
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& f : files) {
        if (out.size() >= limit) break;
        std::ifstream in(f, std::ios::binary);
        out.insert(out.end(), std::istreambuf_iterator<char>(in), {});
    }
}

Bytes TextCorpus() {
    Bytes b;
    AppendFiles(b, "/usr/share/common-licenses", "", 1 << 20);
    return b;
}

// A board-like picture: wood gradient, pits as dark circles, stones as bright ones, mild noise.
Bytes BoardPicture() {
    std::mt19937 rng(1);
    const int w = 720, h = 520;
    Bytes b;
    b.reserve(w * h * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int cx = x % 100 - 50, cy = y % 130 - 65;
            const int d = cx * cx + cy * cy;
            const int wood = 120 + (x / 7 + y / 3) % 40 + static_cast<int>(rng() % 4);
            const int v = d < 300 ? 230 : d < 1600 ? 60 : wood;
            b.push_back(static_cast<std::uint8_t>(v / 2));
            b.push_back(static_cast<std::uint8_t>(v * 3 / 4));
            b.push_back(static_cast<std::uint8_t>(v));
        }
    return b;
}

// Pictures installed under /usr/share: bitmaps where there are any, else PNG icons.
Bytes SystemPictures() {
    Bytes b;
    AppendFiles(b, "/usr/share", ".bmp", 1 << 20);
    if (b.size() < (1 << 18)) AppendFiles(b, "/usr/share/icons", ".png", 1 << 20);
    return b;
}

// Every entry of the built graphics containers but the large hands container; empty when the
// Qt part (and with it the art tool) is not built.
Bytes GamePictures() {
    Bytes b;
    for (const char* name : {"game.gfx", "steine.gfx", "mulden.gfx", "holz.gfx"}) {
        const std::filesystem::path file = std::filesystem::path(KELANI_PROGRAM_DIR) / name;
        if (!std::filesystem::exists(file)) continue;
        kelani::TJwStreams container;
        container.LoadFromFile(file);
        for (int i = 0; i < container.Count(); ++i) {
            const Bytes& entry = container.Streams(i).Bytes();
            b.insert(b.end(), entry.begin(), entry.end());
        }
    }
    return b;
}

const char* const kNames[] = {"text", "board_picture", "system_pictures", "game_pictures"};

// The input of the benchmark's argument. A missing one skips the benchmark: its timing loop then
// never runs.
const Bytes& Input(benchmark::State& state) {
    static const Bytes inputs[] = {TextCorpus(), BoardPicture(), SystemPictures(), GamePictures()};
    const Bytes& in = inputs[state.range(0)];
    if (in.empty()) state.SkipWithError((std::string(kNames[state.range(0)]) + " not found").c_str());
    return in;
}

// Level 6 deflate with the given window (15 bits = zlib's default 32 KiB, 13 bits = lh5's 8 KiB).
Bytes ZlibCompress(const Bytes& in, int windowBits = 15) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("zlib");
    Bytes out(deflateBound(&z, in.size()));
    z.next_in = const_cast<Bytes::value_type*>(in.data());
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int rc = deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    if (rc != Z_STREAM_END) throw std::runtime_error("zlib failed");
    return out;
}

Bytes ZlibDecompress(const Bytes& packed, std::size_t size) {
    Bytes out(size);
    uLongf n = size;
    if (uncompress(out.data(), &n, packed.data(), packed.size()) != Z_OK)
        throw std::runtime_error("zlib failed");
    return out;
}

void Report(benchmark::State& state, const Bytes& in, std::size_t packed) {
    if (in.empty()) return;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
    state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(in.size());
    state.SetLabel(kNames[state.range(0)]);
}

void BM_Lh5Compress(benchmark::State& state) {
    const Bytes& in = Input(state);
    std::size_t packed = 0;
    for (auto _ : state) packed = kelani::Lh5Encode(in).size();
    Report(state, in, packed);
}

// zlib level 6 restricted to lh5's 8 KiB window: how much of the gap the dictionary size explains.
void BM_ZlibWindow8KCompress(benchmark::State& state) {
    const Bytes& in = Input(state);
    std::size_t packed = 0;
    for (auto _ : state) packed = ZlibCompress(in, 13).size();
    Report(state, in, packed);
}

void BM_Lh5Decompress(benchmark::State& state) {
    const Bytes& in = Input(state);
    const Bytes packed = kelani::Lh5Encode(in);
    for (auto _ : state)
        benchmark::DoNotOptimize(kelani::Lh5Decode(packed, static_cast<std::int64_t>(in.size())));
    Report(state, in, packed.size());
}

void BM_ZlibCompress(benchmark::State& state) {
    const Bytes& in = Input(state);
    std::size_t packed = 0;
    for (auto _ : state) packed = ZlibCompress(in).size();
    Report(state, in, packed);
}

void BM_ZlibDecompress(benchmark::State& state) {
    const Bytes& in = Input(state);
    const Bytes packed = ZlibCompress(in);
    for (auto _ : state) benchmark::DoNotOptimize(ZlibDecompress(packed, in.size()));
    Report(state, in, packed.size());
}

// A stored container of n empty entries written in descending name order, as a damaged or
// hostile file may be: loading must stay n log n (the time per entry grows only slowly with n).
void BM_LoadDescendingContainer(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    Bytes image = {' ', ' ', 1, 2, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 4; ++i) image.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
    for (int i = n - 1; i >= 0; --i) {
        const std::string name = std::to_string(10000000 + i);
        image.insert(image.end(), {static_cast<std::uint8_t>(name.size()), 0});
        image.insert(image.end(), name.begin(), name.end());
        image.insert(image.end(), {0, 0, 0, 0});
    }
    kelani::TMemoryStream stored(image);
    for (auto _ : state) {
        kelani::TJwStreams container;
        container.LoadFromStream(stored);
        benchmark::DoNotOptimize(container.Count());
    }
    state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK(BM_LoadDescendingContainer)->Arg(50000)->Arg(100000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lh5Compress)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibCompress)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibWindow8KCompress)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lh5Decompress)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDecompress)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
