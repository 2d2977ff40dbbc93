#pragma once
// A player's network address as the server keeps it: checked, in one canonical spelling, and
// grouped as one household or one attacker holds addresses.
#include <optional>
#include <string>

namespace kelani::server {

// The address in its canonical text ("192.0.2.7", "2001:db8::1"); nothing when it is none.
std::optional<std::string> CanonicalAddress(const std::string& text);

// This machine itself (127.0.0.0/8, ::1).
bool IsLoopback(const std::string& address);

// The addresses one client easily holds at once: an IPv4 address alone, an IPv6 address's /64
// network (one line gets a whole /64). Text that is no address stands for itself.
std::string AddressGroup(const std::string& address);

} // namespace kelani::server
