// The Host check: which names a request may give in its Host field. The
// loopback names are always allowed; others only when named at start-up.
// A page elsewhere on the web can make a browser send requests to the host
// through a name of its own that resolves to 127.0.0.1 (DNS rebinding); such
// a request carries that name, and is refused.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class AllowedHosts
{
public:
    // names: the extra names, without a port ("dev.example", "192.168.1.5",
    // "[fe80::1]"), compared in any letter case.
    explicit AllowedHosts(std::vector<std::string> names = {});

    // True when host (a Host field's value, or null when there was none) is
    // an allowed name with or without a port.
    bool Allows(const std::string* host) const;

    // True when name can be given as an allowed name: a DNS name or IPv4
    // address (letters, digits, '.', '-'), or an IPv6 address in brackets.
    static bool IsPlausibleName(std::string_view name);

private:
    std::vector<std::string> m_names;
};
