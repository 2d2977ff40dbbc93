#include "server/uAddress.h"

#include <arpa/inet.h>

#include <cstring>

namespace kelani::server {

std::optional<std::string> CanonicalAddress(const std::string& text) {
    unsigned char bytes[sizeof(in6_addr)];
    char canonical[INET6_ADDRSTRLEN];
    for (int family : {AF_INET, AF_INET6})
        if (inet_pton(family, text.c_str(), bytes) == 1 &&
            inet_ntop(family, bytes, canonical, sizeof canonical))
            return std::string(canonical);
    return std::nullopt;
}

bool IsLoopback(const std::string& address) {
    return address.rfind("127.", 0) == 0 || address == "::1" || address.rfind("::ffff:127.", 0) == 0;
}

std::string AddressGroup(const std::string& address) {
    in6_addr v6{};
    if (address.find(':') == std::string::npos || inet_pton(AF_INET6, address.c_str(), &v6) != 1)
        return address;
    std::memset(v6.s6_addr + 8, 0, 8);
    char network[INET6_ADDRSTRLEN];
    inet_ntop(AF_INET6, &v6, network, sizeof network);
    return std::string(network) + "/64";
}

} // namespace kelani::server
