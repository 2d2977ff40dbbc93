#pragma once
// Blowfish, 16 rounds, ECB, with the container's block layout and padding.
//
// Key schedule: the standard one over the key bytes (1 to 255), restarted for every stream.
// Blocks: 8 bytes read as two little-endian 32-bit words, left half first, stored back alike.
// Padding on encipher (non-empty payload): p = 8 - ((length + 1) mod 8) bytes 0x01, then the
// byte p; every block enciphered. Decipher: every whole block, then cut length - p - 1 bytes.
// Weak keys (an S-box holding one value twice) leave the payload untouched both ways.
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kelani {

class TBlowfish {
public:
    // Key of 1 to 255 bytes; an empty or longer key raises std::invalid_argument.
    explicit TBlowfish(std::string_view key);

    // True when an S-box holds the same value twice after the key schedule.
    bool Weak() const;
    void EncryptBlock(std::uint32_t& left, std::uint32_t& right) const;
    void DecryptBlock(std::uint32_t& left, std::uint32_t& right) const;

private:
    std::uint32_t F(std::uint32_t x) const;

    std::array<std::uint32_t, 18> p_;
    std::array<std::array<std::uint32_t, 256>, 4> s_;
};

// Pads and enciphers payload in place (nothing for a weak key or an empty payload).
void BlowfishEncipher(std::vector<std::uint8_t>& payload, std::string_view key);
// Deciphers and unpads payload in place (nothing for a weak key or an empty payload). An empty
// key, or a padding count larger than the payload, raises std::invalid_argument.
void BlowfishDecipher(std::vector<std::uint8_t>& payload, std::string_view key);

} // namespace kelani
