// Wide text for the registry-script tests, written as plain ASCII in the
// tests and widened here, so that the same tables run natively and on
// Windows.
#pragma once

#include "util/Platform.h"

#include <string>

using WideString = std::basic_string<WCHAR>;

inline WideString Wide(const std::string& text)
{
    return WideString(text.begin(), text.end());
}

inline std::string Narrow(const WCHAR* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += *text < 0x80 ? static_cast<char>(*text) : '?';
    return out;
}
