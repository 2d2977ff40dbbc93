// -lh5- speed and ratio against zlib level 6 on the same inputs: a text corpus (the system's
// licence texts), a synthetic 24-bit board picture, and the pictures installed under /usr/share.
// Counter "ratio" = compressed size / original size.
#include "view/uLh5.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace {

using Bytes = std::vector<std::uint8_t>;

void AppendFiles(Bytes& out, const std::filesystem::path& folder, const std::string& extension,
                 std::size_t limit) {
    std::error_code ec;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder, ec)) {
        if (out.size() >= limit) break;
        if (!e.is_regular_file() || (!extension.empty() && e.path().extension() != extension)) continue;
        std::ifstream in(e.path(), std::ios::binary);
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

Bytes SystemPictures() {
    Bytes b;
    AppendFiles(b, "/usr/share", ".bmp", 1 << 20);
    if (b.empty()) AppendFiles(b, "/usr/share/icons", ".png", 1 << 20);
    return b;
}

const Bytes& Input(int which) {
    static const Bytes inputs[] = {TextCorpus(), BoardPicture(), SystemPictures()};
    return inputs[which];
}

const char* const kNames[] = {"text", "board_picture", "system_pictures"};

Bytes ZlibCompress(const Bytes& in) {
    uLongf size = compressBound(in.size());
    Bytes out(size);
    if (compress2(out.data(), &size, in.data(), in.size(), 6) != Z_OK)
        throw std::runtime_error("zlib failed");
    out.resize(size);
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
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in.size()));
    state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(in.size());
    state.SetLabel(kNames[state.range(0)]);
}

void BM_Lh5Compress(benchmark::State& state) {
    const Bytes& in = Input(static_cast<int>(state.range(0)));
    std::size_t packed = 0;
    for (auto _ : state) packed = kelani::Lh5Encode(in).size();
    Report(state, in, packed);
}

void BM_Lh5Decompress(benchmark::State& state) {
    const Bytes& in = Input(static_cast<int>(state.range(0)));
    const Bytes packed = kelani::Lh5Encode(in);
    for (auto _ : state)
        benchmark::DoNotOptimize(kelani::Lh5Decode(packed, static_cast<std::int64_t>(in.size())));
    Report(state, in, packed.size());
}

void BM_ZlibCompress(benchmark::State& state) {
    const Bytes& in = Input(static_cast<int>(state.range(0)));
    std::size_t packed = 0;
    for (auto _ : state) packed = ZlibCompress(in).size();
    Report(state, in, packed);
}

void BM_ZlibDecompress(benchmark::State& state) {
    const Bytes& in = Input(static_cast<int>(state.range(0)));
    const Bytes packed = ZlibCompress(in);
    for (auto _ : state) benchmark::DoNotOptimize(ZlibDecompress(packed, in.size()));
    Report(state, in, packed.size());
}

BENCHMARK(BM_Lh5Compress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibCompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Lh5Decompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZlibDecompress)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
