#include "server/uPlayCode.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace kelani::server {
namespace {

constexpr char kCrockford[] = "0123456789ABCDEFGHJKMNPQRSTVWXYZ";
constexpr size_t kCodeChars = 10; // 10 × 5 bits

std::vector<unsigned char> RandomBytes(size_t count) {
    std::vector<unsigned char> bytes(count);
    if (RAND_bytes(bytes.data(), static_cast<int>(count)) != 1)
        throw std::runtime_error("the random generator failed");
    return bytes;
}

std::string Hex(const unsigned char* bytes, size_t count) {
    static const char kHex[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < count; ++i) {
        hex += kHex[bytes[i] >> 4];
        hex += kHex[bytes[i] & 15];
    }
    return hex;
}

} // namespace

std::string NewInviteCode() {
    const auto bytes = RandomBytes(kCodeChars);
    std::string code;
    for (const unsigned char b : bytes) code += kCrockford[b & 31]; // 32 divides 256: no bias
    return code;
}

std::optional<std::string> NormalInviteCode(const std::string& typed) {
    std::string code;
    for (char c : typed) {
        if (c == '-' || c == ' ') continue;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c == 'O') c = '0';
        if (c == 'I' || c == 'L') c = '1';
        if (std::string_view(kCrockford).find(c) == std::string_view::npos || code.size() == kCodeChars)
            return std::nullopt;
        code += c;
    }
    if (code.size() != kCodeChars) return std::nullopt;
    return code;
}

std::string ShownInviteCode(const std::string& normal) {
    return normal.substr(0, 5) + "-" + normal.substr(5);
}

std::string NewToken() {
    const auto bytes = RandomBytes(16);
    return Hex(bytes.data(), bytes.size());
}

std::string NewGameId() {
    const auto bytes = RandomBytes(8);
    return Hex(bytes.data(), bytes.size());
}

std::string TokenHash(const std::string& token) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_Digest(token.data(), token.size(), digest, &length, EVP_sha256(), nullptr);
    return Hex(digest, length);
}

} // namespace kelani::server
