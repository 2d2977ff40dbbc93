#include "streams/uLh5.h"

#include "streams/JwStream.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <numeric>

namespace kelani {

namespace {

constexpr int kDicBits = 13;
constexpr int kDicSize = 1 << kDicBits; // 8 KiB
constexpr int kMinMatch = 3;
constexpr int kMaxMatch = 256;
constexpr int kNC = 256 + kMaxMatch - kMinMatch + 1; // 510 literal/length codes
constexpr int kNP = kDicBits + 1;                    // 14 position codes
constexpr int kNT = 19;                              // code-length codes
constexpr int kCBits = 9, kPBits = 4, kTBits = 5;
constexpr int kMaxCodeLength = 16;
constexpr int kTSpecial = 3; // a 2-bit zero run follows the third code-length length
// The pending code buffer: a flag byte per group of eight codes, one byte per literal, three per
// match; a new group that could overflow its 16384 bytes starts a new block.
constexpr int kBufferSize = 16384;
constexpr int kBlockLimit = kBufferSize - 3 * 8;
// A sound stream is never read past its end; the slack covers the bit buffer's look-ahead
// (8 bytes) and tolerates a few missing final bytes.
constexpr std::size_t kOverreadBytes = 16;
constexpr std::size_t kGrowth = 1 << 16;

const char* const kCorrupt = "Compressed file is corrupt";

[[noreturn]] void Corrupt() {
    throw ECorruptFile(kCorrupt);
}

// ================================================================ bits

class BitWriter {
public:
    void Put(int count, std::uint32_t value) {
        acc_ = acc_ << count | (value & ((std::uint64_t{1} << count) - 1));
        bits_ += count;
        while (bits_ >= 8) {
            bits_ -= 8;
            out_.push_back(static_cast<std::uint8_t>(acc_ >> bits_));
        }
    }
    // The last partial byte goes out padded with zeros; nothing more.
    std::vector<std::uint8_t> Finish() {
        if (bits_ > 0) Put(8 - bits_, 0);
        return std::move(out_);
    }

private:
    std::vector<std::uint8_t> out_;
    std::uint64_t acc_ = 0;
    int bits_ = 0;
};

// MSB-first bits in a 64-bit buffer whose valid bits stand at the top. Refill tops it up to at
// least 56 bits, eight bytes at a time while the input lasts.
class BitReader {
public:
    explicit BitReader(std::span<const std::uint8_t> in) : in_(in) {}

    // At least kRefilled bits are buffered afterwards.
    void Refill() {
        if (bits_ >= kRefilled) return;
        if (in_.size() - std::min(at_, in_.size()) >= 8) {
            std::uint64_t word;
            std::memcpy(&word, in_.data() + at_, 8);
            if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
            acc_ |= word >> bits_;
            at_ += static_cast<std::size_t>(63 - bits_) >> 3;
            bits_ |= 56;
            return;
        }
        RefillNearEnd();
    }
    // Only after Refill, and never more bits than it promised.
    std::uint32_t Peek(int count) const { return static_cast<std::uint32_t>(acc_ >> (64 - count)); }
    void Skip(int count) {
        acc_ <<= count;
        bits_ -= count;
    }
    std::uint32_t Get(int count) {
        if (count == 0) return 0;
        Refill();
        const std::uint32_t value = Peek(count);
        Skip(count);
        return value;
    }

    static constexpr int kRefilled = 56;

private:
    void RefillNearEnd() {
        for (; bits_ <= 56; bits_ += 8) {
            std::uint64_t byte = 0; // zeros once the input is used up, but only a few
            if (at_ < in_.size())
                byte = in_[at_];
            else if (at_ >= in_.size() + kOverreadBytes)
                Corrupt();
            ++at_;
            acc_ |= byte << (56 - bits_);
        }
    }

    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
    std::uint64_t acc_ = 0;
    int bits_ = 0;
};

// ================================================================ code tables

// Canonical codes: shorter codes first, equal lengths in symbol order.
template <std::size_t N>
std::array<std::uint16_t, N> CanonicalCodes(const std::array<std::uint8_t, N>& lengths) {
    std::array<int, kMaxCodeLength + 2> next{};
    for (std::uint8_t len : lengths) ++next[len];
    next[0] = 0;
    int code = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len) {
        const int count = next[len];
        next[len] = code;
        code = (code + count) << 1;
    }
    std::array<std::uint16_t, N> codes{};
    for (std::size_t s = 0; s < N; ++s)
        if (lengths[s] != 0) codes[s] = static_cast<std::uint16_t>(next[lengths[s]]++);
    return codes;
}

// Table-driven decoding as inflate does it: the next kRoot bits index a table that holds the
// symbol and its length for every code of up to kRoot bits; the rare longer codes are decoded
// canonically, one length after the other.
template <int kRoot> class DecodeTable {
public:
    // Builds the table; an incomplete or over-full code is corrupt.
    template <std::size_t N> void Build(const std::array<std::uint8_t, N>& lengths) {
        std::uint32_t kraft = 0;
        count_.fill(0);
        for (std::uint8_t len : lengths) {
            if (len != 0) kraft += 1u << (kMaxCodeLength - len);
            ++count_[len];
        }
        if (kraft != 1u << kMaxCodeLength) Corrupt();
        // Canonical order: by length, then by symbol.
        int code = 0, index = 0;
        for (int len = 1; len <= kMaxCodeLength; ++len) {
            first_[len] = code;
            offset_[len] = index;
            code = (code + count_[len]) << 1;
            index += count_[len];
        }
        const auto codes = CanonicalCodes(lengths);
        std::array<int, kMaxCodeLength + 1> next = offset_;
        for (std::size_t s = 0; s < N; ++s) {
            const int len = lengths[s];
            if (len == 0) continue;
            sorted_[static_cast<std::size_t>(next[len]++)] = static_cast<std::uint16_t>(s);
            if (len > kRoot) continue;
            const std::uint32_t from = std::uint32_t{codes[s]} << (kRoot - len);
            std::fill_n(fast_.begin() + from, 1u << (kRoot - len), static_cast<std::uint16_t>(s | len << 10));
        }
        // Prefixes of longer codes.
        const std::uint32_t shortCodes = static_cast<std::uint32_t>(first_[kRoot] + count_[kRoot]);
        std::fill(fast_.begin() + shortCodes, fast_.end(), kLong);
    }
    // Every code decodes to symbol without reading a bit.
    void Single(std::uint32_t symbol) { fast_.fill(static_cast<std::uint16_t>(symbol)); }

    // Needs 16 buffered bits.
    int Decode(BitReader& in) const {
        const std::uint16_t entry = fast_[in.Peek(kRoot)];
        if (entry != kLong) [[likely]] {
            in.Skip(entry >> 10);
            return entry & 0x3FF;
        }
        const std::uint32_t bits = in.Peek(kMaxCodeLength);
        for (int len = kRoot + 1; len <= kMaxCodeLength; ++len) {
            const int code = static_cast<int>(bits >> (kMaxCodeLength - len)) - first_[len];
            if (code < count_[len]) {
                in.Skip(len);
                return sorted_[static_cast<std::size_t>(offset_[len] + code)];
            }
        }
        Corrupt(); // unreachable for a complete code
    }
    int Get(BitReader& in) const {
        in.Refill();
        return Decode(in);
    }

private:
    static constexpr std::uint16_t kLong = 0xFFFF;

    std::array<std::uint16_t, 1 << kRoot> fast_{};
    std::array<int, kMaxCodeLength + 1> count_{}, first_{}, offset_{};
    std::array<std::uint16_t, kNC> sorted_{};
};

// ================================================================ decoder

class Decoder {
public:
    explicit Decoder(std::span<const std::uint8_t> in) : in_(in) {}

    std::vector<std::uint8_t> Run(std::int64_t size) {
        total_ = static_cast<std::size_t>(size);
        // Grown as data is decoded, so a large announced size costs nothing until it is earned.
        // The slack behind the end lets a match be copied in whole words.
        out_.resize(std::min(total_, kGrowth) + kSlack);
        while (pos_ < total_) {
            if (remaining_ == 0)
                StartBlock();
            else
                DecodeCodes();
        }
        out_.resize(total_);
        return std::move(out_);
    }

private:
    // Decodes codes of the current block while the output has room for them, with the bit buffer
    // and the output position in locals: a byte stored through the output pointer could alias
    // any member, which would reload them after every byte.
    void DecodeCodes() {
        const std::size_t capacity = out_.size() - kSlack;
        const bool whole = capacity == total_;
        if (!whole && capacity - pos_ < kMaxMatch) return Grow();
        const std::uint32_t batch =
            whole ? remaining_
                  : std::min<std::uint32_t>(remaining_,
                                            static_cast<std::uint32_t>((capacity - pos_) / kMaxMatch));
        BitReader in = in_;
        std::uint8_t* const out = out_.data();
        const std::size_t total = total_;
        std::size_t pos = pos_;
        std::uint32_t left = batch;
        for (; left > 0 && pos < total; --left) {
            // One refill covers a code (16 bits), a position code (16) and its extra bits (12).
            in.Refill();
            const int c = c_.Decode(in);
            if (c < 256) {
                out[pos++] = static_cast<std::uint8_t>(c);
                continue;
            }
            const std::size_t length = std::min<std::size_t>(c - 256 + kMinMatch, total - pos);
            const std::size_t distance = Position(in) + 1;
            if (distance > pos) Corrupt(); // before the start of the output
            CopyMatch(out + pos, distance, length);
            pos += length;
        }
        in_ = in;
        pos_ = pos;
        remaining_ -= batch - left;
    }

    void Grow() { out_.resize(std::min(total_, std::max(out_.size() - kSlack, kGrowth / 2) * 2) + kSlack); }

    static void CopyMatch(std::uint8_t* to, std::size_t distance, std::size_t length) {
        const std::uint8_t* from = to - distance;
        if (distance >= 8) {
            // Word by word; a word never reads what it writes, and the slack takes the overshoot.
            for (std::size_t i = 0; i < length; i += 8) std::memcpy(to + i, from + i, 8);
        } else if (distance == 1) {
            std::memset(to, *from, length);
        } else {
            for (std::size_t i = 0; i < length; ++i) to[i] = from[i]; // a short repeating run
        }
    }

    std::size_t Position(BitReader& in) const {
        const int bits = p_.Decode(in);
        if (bits <= 1) return static_cast<std::size_t>(bits);
        const std::size_t extra = in.Peek(bits - 1);
        in.Skip(bits - 1);
        return (std::size_t{1} << (bits - 1)) + extra;
    }

    void StartBlock() {
        remaining_ = in_.Get(16);
        ReadLengthTable(t_, kNT, kTBits, kTSpecial);
        ReadCodeTable();
        ReadLengthTable(p_, kNP, kPBits, -1);
    }

    // A length 0..6 in three bits; 7 and more as 111 followed by one 1 per extra step and a 0.
    int ReadLength() {
        int len = static_cast<int>(in_.Get(3));
        if (len == 7) {
            while (in_.Get(1) == 1)
                if (++len > kMaxCodeLength) Corrupt();
        }
        return len;
    }

    // The code-length table and the position table.
    template <int kRoot>
    void ReadLengthTable(DecodeTable<kRoot>& table, int symbols, int countBits, int special) {
        const int n = static_cast<int>(in_.Get(countBits));
        if (n == 0) return table.Single(CheckedSymbol(in_.Get(countBits), symbols));
        if (n > symbols) Corrupt();
        std::array<std::uint8_t, kNT> lengths{};
        for (int i = 0; i < n;) {
            lengths[i++] = static_cast<std::uint8_t>(ReadLength());
            if (i == special) i += static_cast<int>(in_.Get(2)); // a run of zero lengths
            if (i > symbols) Corrupt();
        }
        table.Build(lengths);
    }

    void ReadCodeTable() {
        const int n = static_cast<int>(in_.Get(kCBits));
        if (n == 0) return c_.Single(CheckedSymbol(in_.Get(kCBits), kNC));
        if (n > kNC) Corrupt();
        std::array<std::uint8_t, kNC> lengths{};
        for (int i = 0; i < n;) {
            const int t = t_.Get(in_);
            if (t > 2) {
                lengths[i++] = static_cast<std::uint8_t>(t - 2);
                continue;
            }
            const int zeros = t == 0   ? 1
                              : t == 1 ? static_cast<int>(in_.Get(4)) + 3
                                       : static_cast<int>(in_.Get(kCBits)) + 20;
            i += zeros; // the array is zeroed already
            if (i > kNC) Corrupt();
        }
        c_.Build(lengths);
    }

    static std::uint32_t CheckedSymbol(std::uint32_t symbol, int symbols) {
        if (symbol >= static_cast<std::uint32_t>(symbols)) Corrupt();
        return symbol;
    }

    static constexpr std::size_t kSlack = 8;

    BitReader in_;
    std::uint32_t remaining_ = 0;
    DecodeTable<8> t_, p_;
    DecodeTable<12> c_;
    std::vector<std::uint8_t> out_;
    std::size_t total_ = 0, pos_ = 0;
};

// ================================================================ Huffman code lengths

// Code lengths of at most 16 bits for the given frequencies (Huffman, then the longest codes
// evened out so the code stays complete). With fewer than two used symbols no code is needed: returns
// the only one (0 when there is none); otherwise fills lengths and returns -1.
template <std::size_t N>
int MakeLengths(const std::array<std::uint32_t, N>& freq, std::array<std::uint8_t, N>& lengths) {
    lengths.fill(0);
    std::vector<int> used;
    for (std::size_t s = 0; s < N; ++s)
        if (freq[s] != 0) used.push_back(static_cast<int>(s));
    if (used.size() < 2) return used.empty() ? 0 : used[0];

    // Huffman tree over the used symbols: nodes 0..u-1 are leaves, parents follow.
    const std::size_t u = used.size();
    std::vector<std::uint64_t> weight(2 * u - 1);
    std::vector<int> parent(2 * u - 1, -1);
    using Item = std::pair<std::uint64_t, int>;
    std::vector<Item> heap;
    for (std::size_t i = 0; i < u; ++i) {
        weight[i] = freq[static_cast<std::size_t>(used[i])];
        heap.emplace_back(weight[i], static_cast<int>(i));
    }
    auto greater = [](const Item& a, const Item& b) { return a > b; };
    std::make_heap(heap.begin(), heap.end(), greater);
    for (std::size_t next = u; heap.size() > 1; ++next) {
        Item pair[2];
        for (Item& item : pair) {
            std::pop_heap(heap.begin(), heap.end(), greater);
            item = heap.back();
            heap.pop_back();
        }
        weight[next] = pair[0].first + pair[1].first;
        parent[static_cast<std::size_t>(pair[0].second)] = parent[static_cast<std::size_t>(pair[1].second)] =
            static_cast<int>(next);
        heap.emplace_back(weight[next], static_cast<int>(next));
        std::push_heap(heap.begin(), heap.end(), greater);
    }
    std::vector<int> depth(2 * u - 1, 0);
    std::array<int, kMaxCodeLength + 1> count{};
    for (int node = static_cast<int>(2 * u - 3); node >= 0; --node) {
        depth[static_cast<std::size_t>(node)] =
            depth[static_cast<std::size_t>(parent[static_cast<std::size_t>(node)])] + 1;
        if (static_cast<std::size_t>(node) < u)
            ++count[std::min(depth[static_cast<std::size_t>(node)], kMaxCodeLength)];
    }
    // Too-deep leaves were put at 16; take space from shorter codes until the code is complete.
    std::uint32_t kraft = 0;
    for (int len = 1; len <= kMaxCodeLength; ++len)
        kraft += static_cast<std::uint32_t>(count[len]) << (kMaxCodeLength - len);
    while (kraft > 1u << kMaxCodeLength) {
        --count[kMaxCodeLength];
        for (int len = kMaxCodeLength - 1; len > 0; --len) {
            if (count[len] != 0) {
                --count[len];
                count[len + 1] += 2;
                break;
            }
        }
        --kraft;
    }
    // Rarest symbols get the longest codes.
    std::vector<int> order(u);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return weight[static_cast<std::size_t>(a)] < weight[static_cast<std::size_t>(b)];
    });
    std::size_t k = 0;
    for (int len = kMaxCodeLength; len > 0; --len)
        for (int i = 0; i < count[len]; ++i)
            lengths[static_cast<std::size_t>(used[static_cast<std::size_t>(order[k++])])] =
                static_cast<std::uint8_t>(len);
    return -1;
}

// ================================================================ encoder

struct Code {
    std::uint16_t c;        // literal 0..255 or 253 + match length
    std::uint16_t position; // distance - 1 of a match
};

int BitLength(unsigned value) {
    return value == 0 ? 0 : 32 - __builtin_clz(value);
}

// One block of pending codes with their frequencies, written as tables and codes.
class BlockWriter {
public:
    explicit BlockWriter(BitWriter& out) : out_(out) {}

    void Add(Code code) {
        if (codes_.size() % 8 == 0) {
            if (bufferUsed_ >= kBlockLimit) Flush();
            ++bufferUsed_; // the group's flag byte
        }
        codes_.push_back(code);
        ++cFreq_[code.c];
        if (code.c < 256) {
            ++bufferUsed_;
        } else {
            bufferUsed_ += 3;
            ++pFreq_[static_cast<std::size_t>(BitLength(code.position))];
        }
    }

    void Flush() {
        if (codes_.empty()) return;
        WriteTables();
        for (const Code& code : codes_) {
            out_.Put(cLen_[code.c], cCode_[code.c]);
            if (code.c >= 256) {
                const int bits = BitLength(code.position);
                out_.Put(pLen_[static_cast<std::size_t>(bits)], pCode_[static_cast<std::size_t>(bits)]);
                if (bits > 1) out_.Put(bits - 1, code.position);
            }
        }
        codes_.clear();
        cFreq_.fill(0);
        pFreq_.fill(0);
        bufferUsed_ = 0;
    }

private:
    void WriteTables() {
        out_.Put(16, static_cast<std::uint32_t>(codes_.size()));
        const int onlyC = MakeLengths(cFreq_, cLen_);
        if (onlyC >= 0) {
            out_.Put(kTBits, 0);
            out_.Put(kTBits, 0);
            out_.Put(kCBits, 0);
            out_.Put(kCBits, static_cast<std::uint32_t>(onlyC));
        } else {
            cCode_ = CanonicalCodes(cLen_);
            WriteCodeLengthTable();
            WriteCodeTable();
        }
        const int onlyP = MakeLengths(pFreq_, pLen_);
        if (onlyP >= 0) {
            out_.Put(kPBits, 0);
            out_.Put(kPBits, static_cast<std::uint32_t>(onlyP));
            pLen_.fill(0); // a single symbol takes no bits
        } else {
            pCode_ = CanonicalCodes(pLen_);
            WriteLengths(pLen_, kPBits, -1);
        }
    }

    // Calls emit(t, extra bits, extra value) for each code-length code of the literal/length table.
    template <typename Emit> void ForEachTCode(int n, Emit emit) const {
        for (int i = 0; i < n;) {
            const int k = cLen_[static_cast<std::size_t>(i++)];
            if (k != 0) {
                emit(k + 2, 0, 0);
                continue;
            }
            int zeros = 1;
            while (i < n && cLen_[static_cast<std::size_t>(i)] == 0) ++i, ++zeros;
            if (zeros <= 2) {
                for (int z = 0; z < zeros; ++z) emit(0, 0, 0);
            } else if (zeros <= 18) {
                emit(1, 4, zeros - 3);
            } else if (zeros == 19) {
                emit(0, 0, 0);
                emit(1, 4, 15);
            } else {
                emit(2, kCBits, zeros - 20);
            }
        }
    }

    int UsedCodes() const {
        int n = kNC;
        while (n > 0 && cLen_[static_cast<std::size_t>(n - 1)] == 0) --n;
        return n;
    }

    void WriteCodeLengthTable() {
        std::array<std::uint32_t, kNT> tFreq{};
        ForEachTCode(UsedCodes(), [&](int t, int, int) { ++tFreq[static_cast<std::size_t>(t)]; });
        const int onlyT = MakeLengths(tFreq, tLen_);
        if (onlyT >= 0) {
            out_.Put(kTBits, 0);
            out_.Put(kTBits, static_cast<std::uint32_t>(onlyT));
            tLen_.fill(0);
        } else {
            tCode_ = CanonicalCodes(tLen_);
            WriteLengths(tLen_, kTBits, kTSpecial);
        }
    }

    void WriteCodeTable() {
        const int n = UsedCodes();
        out_.Put(kCBits, static_cast<std::uint32_t>(n));
        ForEachTCode(n, [&](int t, int bits, int value) {
            out_.Put(tLen_[static_cast<std::size_t>(t)], tCode_[static_cast<std::size_t>(t)]);
            if (bits > 0) out_.Put(bits, static_cast<std::uint32_t>(value));
        });
    }

    template <std::size_t N>
    void WriteLengths(const std::array<std::uint8_t, N>& lengths, int countBits, int special) {
        int n = static_cast<int>(N);
        while (n > 0 && lengths[static_cast<std::size_t>(n - 1)] == 0) --n;
        out_.Put(countBits, static_cast<std::uint32_t>(n));
        for (int i = 0; i < n;) {
            const int k = lengths[static_cast<std::size_t>(i++)];
            if (k <= 6)
                out_.Put(3, static_cast<std::uint32_t>(k));
            else
                out_.Put(k - 3, 0xFFFEu); // 111, one 1 per step above 7, then 0
            if (i == special) {
                while (i < 6 && lengths[static_cast<std::size_t>(i)] == 0) ++i;
                out_.Put(2, static_cast<std::uint32_t>(i - 3));
            }
        }
    }

    BitWriter& out_;
    std::vector<Code> codes_;
    int bufferUsed_ = 0;
    std::array<std::uint32_t, kNC> cFreq_{};
    std::array<std::uint32_t, kNP> pFreq_{};
    std::array<std::uint8_t, kNC> cLen_{};
    std::array<std::uint16_t, kNC> cCode_{};
    std::array<std::uint8_t, kNP> pLen_{};
    std::array<std::uint16_t, kNP> pCode_{};
    std::array<std::uint8_t, kNT> tLen_{};
    std::array<std::uint16_t, kNT> tCode_{};
};

// Hash chains over the last 8 KiB: the longest earlier match of at least three bytes.
class MatchFinder {
public:
    explicit MatchFinder(std::span<const std::uint8_t> data) : data_(data) {}

    struct Match {
        int length = 0;
        int distance = 0;
    };

    // The best match at pos, following at most chain links; inserts pos into the chains.
    Match FindAndInsert(int pos, int chain = kMaxChain) {
        Match best;
        const int limit = std::min<int>(kMaxMatch, static_cast<int>(data_.size()) - pos);
        if (limit < kMinMatch) return best;
        const std::uint32_t h = Hash(pos);
        const std::uint8_t* here = data_.data() + pos;
        for (int cand = head_[h]; cand >= 0 && pos - cand <= kDicSize && chain-- > 0;
             cand = prev_[cand & (kDicSize - 1)]) {
            const std::uint8_t* there = data_.data() + cand;
            if (there[best.length] != here[best.length] || there[0] != here[0]) continue;
            const int len = MatchLength(there, here, limit);
            if (len > best.length) {
                best = {len, pos - cand};
                if (len == limit) break;
            }
        }
        if (best.length < kMinMatch) best = {};
        Link(pos, h);
        return best;
    }

    void Insert(int pos) {
        if (pos + kMinMatch <= static_cast<int>(data_.size())) Link(pos, Hash(pos));
    }

    static constexpr int kMaxChain = 128;

private:
    static constexpr int kHashBits = 15;

    // Common prefix of a and b up to limit, eight bytes at a time where the machine allows.
    static int MatchLength(const std::uint8_t* a, const std::uint8_t* b, int limit) {
        int len = 0;
        if constexpr (std::endian::native == std::endian::little) {
            for (; len + 8 <= limit; len += 8) {
                std::uint64_t x, y;
                std::memcpy(&x, a + len, 8);
                std::memcpy(&y, b + len, 8);
                if (x != y) return len + (std::countr_zero(x ^ y) >> 3);
            }
        }
        while (len < limit && a[len] == b[len]) ++len;
        return len;
    }

    std::uint32_t Hash(int pos) const {
        const std::uint8_t* p = data_.data() + pos;
        const std::uint32_t v = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16;
        return (v * 2654435761u) >> (32 - kHashBits);
    }
    void Link(int pos, std::uint32_t h) {
        prev_[pos & (kDicSize - 1)] = head_[h];
        head_[h] = pos;
    }

    std::span<const std::uint8_t> data_;
    std::vector<int> head_ = std::vector<int>(1 << kHashBits, -1);
    std::vector<int> prev_ = std::vector<int>(kDicSize);
};

} // namespace

std::vector<std::uint8_t> Lh5Encode(std::span<const std::uint8_t> data) {
    if (data.size() > static_cast<std::size_t>(kLh5MaxSize))
        throw EWriteError("Data of this size cannot be compressed");
    BitWriter bits;
    BlockWriter block(bits);
    MatchFinder finder(data);
    const int n = static_cast<int>(data.size());
    MatchFinder::Match pending = n > 0 ? finder.FindAndInsert(0) : MatchFinder::Match{};
    for (int pos = 0; pos < n;) {
        // One position of look-ahead: a longer match one byte later wins over the pending one.
        const MatchFinder::Match next = pos + 1 < n ? finder.FindAndInsert(pos + 1) : MatchFinder::Match{};
        if (pending.length < kMinMatch || next.length > pending.length) {
            block.Add({data[static_cast<std::size_t>(pos)], 0});
            ++pos;
            pending = next;
            continue;
        }
        block.Add({static_cast<std::uint16_t>(pending.length + 256 - kMinMatch),
                   static_cast<std::uint16_t>(pending.distance - 1)});
        for (int skip = pos + 2; skip < pos + pending.length; ++skip) finder.Insert(skip);
        pos += pending.length;
        pending = pos < n ? finder.FindAndInsert(pos) : MatchFinder::Match{};
    }
    block.Flush();
    return bits.Finish();
}

std::vector<std::uint8_t> Lh5Decode(std::span<const std::uint8_t> stream, std::int64_t size) {
    if (size < 0 || size > kLh5MaxSize) Corrupt();
    return Decoder(stream).Run(size);
}

std::vector<std::uint8_t> Lh5Pack(std::span<const std::uint8_t> data) {
    const std::vector<std::uint8_t> stream = Lh5Encode(data);
    std::vector<std::uint8_t> packed(4 + stream.size());
    for (int i = 0; i < 4; ++i)
        packed[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(data.size() >> (8 * i));
    std::copy(stream.begin(), stream.end(), packed.begin() + 4);
    return packed;
}

std::vector<std::uint8_t> Lh5Unpack(std::span<const std::uint8_t> packed, std::int64_t maxSize) {
    if (packed.size() < 4) Corrupt();
    const std::int32_t size = static_cast<std::int32_t>(packed[0] | packed[1] << 8 | packed[2] << 16 |
                                                        std::uint32_t{packed[3]} << 24);
    if (size > maxSize) Corrupt();
    return Lh5Decode(packed.subspan(4), size);
}

namespace {

std::vector<std::uint8_t> ReadRest(TStream& source) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(source.Remaining()));
    source.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    return bytes;
}

} // namespace

void Lh5Compress(TStream& Source, TStream& Dest) {
    const std::vector<std::uint8_t> packed = Lh5Pack(ReadRest(Source));
    Dest.WriteBuffer(packed.data(), static_cast<std::int64_t>(packed.size()));
}

void Lh5Decompress(TStream& Source, TStream& Dest) {
    const std::vector<std::uint8_t> data = Lh5Unpack(ReadRest(Source));
    Dest.WriteBuffer(data.data(), static_cast<std::int64_t>(data.size()));
}

} // namespace kelani
