#include "streams/uBlowfish.h"

#include "streams/uBlowfishPi.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace kelani {

namespace {

constexpr std::size_t kBlock = 8;
constexpr std::size_t kMaxKey = 255;

std::uint32_t LoadLE(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

void StoreLE(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

template <typename Cipher>
void ForEachBlock(std::vector<std::uint8_t>& data, std::size_t length, Cipher cipher) {
    for (std::size_t at = 0; at + kBlock <= length; at += kBlock) {
        std::uint32_t left = LoadLE(&data[at]), right = LoadLE(&data[at + 4]);
        cipher(left, right);
        StoreLE(&data[at], left);
        StoreLE(&data[at + 4], right);
    }
}

} // namespace

TBlowfish::TBlowfish(std::string_view key) {
    if (key.empty() || key.size() > kMaxKey)
        throw std::invalid_argument("A cipher key holds 1 to 255 characters, not " +
                                    std::to_string(key.size()));
    std::copy(std::begin(blowfish_pi::kP), std::end(blowfish_pi::kP), p_.begin());
    for (int box = 0; box < 4; ++box)
        std::copy(std::begin(blowfish_pi::kS[box]), std::end(blowfish_pi::kS[box]), s_[box].begin());

    // The key bytes, taken cyclically, go into the P-array, the first byte the most significant.
    std::size_t k = 0;
    for (std::uint32_t& entry : p_) {
        std::uint32_t word = 0;
        for (int i = 0; i < 4; ++i, k = (k + 1) % key.size())
            word = word << 8 | static_cast<std::uint8_t>(key[k]);
        entry ^= word;
    }
    std::uint32_t left = 0, right = 0;
    for (std::size_t i = 0; i < p_.size(); i += 2) {
        EncryptBlock(left, right);
        p_[i] = left;
        p_[i + 1] = right;
    }
    for (auto& box : s_) {
        for (std::size_t i = 0; i < box.size(); i += 2) {
            EncryptBlock(left, right);
            box[i] = left;
            box[i + 1] = right;
        }
    }
}

bool TBlowfish::Weak() const {
    for (const auto& box : s_) {
        auto sorted = box;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return true;
    }
    return false;
}

std::uint32_t TBlowfish::F(std::uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
}

void TBlowfish::EncryptBlock(std::uint32_t& left, std::uint32_t& right) const {
    std::uint32_t l = left, r = right;
    for (int i = 0; i < 16; i += 2) {
        l ^= p_[i];
        r ^= F(l);
        r ^= p_[i + 1];
        l ^= F(r);
    }
    left = r ^ p_[17];
    right = l ^ p_[16];
}

void TBlowfish::DecryptBlock(std::uint32_t& left, std::uint32_t& right) const {
    std::uint32_t l = left, r = right;
    for (int i = 17; i > 1; i -= 2) {
        l ^= p_[i];
        r ^= F(l);
        r ^= p_[i - 1];
        l ^= F(r);
    }
    left = r ^ p_[0];
    right = l ^ p_[1];
}

void BlowfishEncipher(std::vector<std::uint8_t>& payload, std::string_view key) {
    if (payload.empty()) return;
    const TBlowfish cipher(key);
    if (cipher.Weak()) return; // such files stay readable with the same key: nothing is changed
    const std::size_t pad = kBlock - (payload.size() + 1) % kBlock;
    payload.resize(payload.size() + pad + 1, 0x01);
    payload.back() = static_cast<std::uint8_t>(pad);
    ForEachBlock(payload, payload.size(),
                 [&](std::uint32_t& l, std::uint32_t& r) { cipher.EncryptBlock(l, r); });
}

void BlowfishDecipher(std::vector<std::uint8_t>& payload, std::string_view key) {
    const TBlowfish cipher(key);
    if (payload.empty() || cipher.Weak()) return;
    ForEachBlock(payload, payload.size(),
                 [&](std::uint32_t& l, std::uint32_t& r) { cipher.DecryptBlock(l, r); });
    const std::size_t pad = payload.back();
    if (pad + 1 > payload.size()) throw std::invalid_argument("The cipher padding runs past the payload");
    payload.resize(payload.size() - pad - 1);
}

} // namespace kelani
