// Conversions between the bytes of pages, requests, responses and console
// output and the UTF-16 text of Windows and the script engines, under a
// Windows code page. Decoding is the library's own (util/TextConversion);
// this adds the standard-string form both tools use, and the way back.
// Windows only.
#pragma once

#include <string>
#include <string_view>

// Bytes to UTF-16 under codePage (0 = the system ANSI code page); bytes the
// code page cannot decode are replaced as the platform decides. Throws
// std::bad_alloc when the text cannot be allocated.
std::wstring WidenBytes(std::string_view bytes, unsigned codePage);
// UTF-16 to bytes under codePage (0 = the system ANSI code page);
// characters the code page lacks become its default character.
std::string NarrowText(std::wstring_view text, unsigned codePage);
