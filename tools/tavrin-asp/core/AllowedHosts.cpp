// The Host check (see AllowedHosts.h). A Host value is "name" or
// "name:port", where an IPv6 name keeps its brackets; nothing else passes,
// so that no value a browser would send for another origin is read as one
// of ours.
#include "core/AllowedHosts.h"

#include <algorithm>

namespace {

const char* const kLoopbackNames[] = {"localhost", "127.0.0.1", "[::1]"};

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return AsciiLower(x) == AsciiLower(y);
           });
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// ":1" to ":65535", or nothing.
bool IsPortPart(std::string_view text)
{
    if (text.empty())
        return true;
    if (text[0] != ':' || text.size() < 2 || text.size() > 6)
        return false;
    text.remove_prefix(1);
    if (!std::all_of(text.begin(), text.end(), IsDigit))
        return false;
    const unsigned long port = std::stoul(std::string(text));
    return port >= 1 && port <= 65535;
}

// The name part of a Host value: up to the closing bracket of an IPv6
// address, else up to the first ':'.
std::string_view NamePart(std::string_view host)
{
    if (!host.empty() && host[0] == '[') {
        const size_t close = host.find(']');
        return close == std::string_view::npos ? std::string_view() : host.substr(0, close + 1);
    }
    return host.substr(0, host.find(':'));
}

bool IsNameChar(char c)
{
    return IsDigit(c) || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'z') || c == '.' || c == '-';
}

bool IsAddressChar(char c)
{
    return IsDigit(c) || (AsciiLower(c) >= 'a' && AsciiLower(c) <= 'f') || c == ':' || c == '.';
}

} // namespace

AllowedHosts::AllowedHosts(std::vector<std::string> names) : m_names(std::move(names)) {}

bool AllowedHosts::Allows(const std::string* host) const
{
    if (!host)
        return false;
    const std::string_view name = NamePart(*host);
    if (name.empty() || !IsPortPart(std::string_view(*host).substr(name.size())))
        return false;
    const auto same = [name](std::string_view allowed) { return EqualsNoCase(name, allowed); };
    return std::any_of(std::begin(kLoopbackNames), std::end(kLoopbackNames), same) ||
           std::any_of(m_names.begin(), m_names.end(), same);
}

bool AllowedHosts::IsPlausibleName(std::string_view name)
{
    if (name.size() > 2 && name.front() == '[' && name.back() == ']') {
        name = name.substr(1, name.size() - 2);
        return std::all_of(name.begin(), name.end(), IsAddressChar) &&
               name.find(':') != std::string_view::npos;
    }
    return !name.empty() && std::all_of(name.begin(), name.end(), IsNameChar);
}
