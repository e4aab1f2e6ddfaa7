// Conversions between the bytes of pages, requests and responses and the
// UTF-16 text of the script engines, under a Windows code page.
#pragma once

#include <string>
#include <string_view>

// Bytes to UTF-16 under codePage (0 = the system ANSI code page).
std::wstring WidenBytes(std::string_view bytes, unsigned codePage);
// UTF-16 to bytes under codePage (0 = the system ANSI code page);
// characters the code page lacks become its default character.
std::string NarrowText(std::wstring_view text, unsigned codePage);
