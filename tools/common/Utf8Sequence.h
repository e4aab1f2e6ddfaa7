// Strict UTF-8, as the tools judge bytes a client sent: no overlong forms,
// no encoded surrogates, nothing above U+10FFFF. The JSON writer uses it to
// tell characters from stray bytes; tavrin-asp refuses a request path that
// is not strict UTF-8.
#pragma once

#include <cstddef>
#include <string_view>

// The length (1 to 4) of the well-formed UTF-8 sequence that starts at
// bytes[i], or 0 when none does. i must be below bytes.size().
size_t Utf8SequenceAt(std::string_view bytes, size_t i);

// True when bytes are well-formed UTF-8 from end to end (empty included).
bool IsWellFormedUtf8(std::string_view bytes);
