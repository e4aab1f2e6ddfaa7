// UTF-16 text as UTF-8 for the tool's output: plain text for messages, and
// JSON string literals for everything the component reports. The component
// hands out UTF-16 exactly as it decoded the request, which may hold control
// characters and unpaired surrogates; a JSON literal keeps every unit
// recoverable (an unpaired surrogate becomes a \uXXXX escape), plain text
// replaces an unpaired surrogate with U+FFFD.
#pragma once

#include <string>
#include <string_view>

// Appends "text" as a JSON string literal, quotes included. Quote, backslash
// and the control characters below U+0020 are escaped (\b \f \n \r \t or
// \u00xx); every other character is written as UTF-8.
void AppendJsonString(std::string& out, std::u16string_view text);

// Appends bytes that are meant to be UTF-8 (HTTP heads, for one) as a JSON
// string literal. Well-formed UTF-8 stands for its characters; each byte
// that is not part of a well-formed sequence stands for the unpaired
// surrogate U+DC00 + byte (written \udc80 to \udcff), so the literal is
// valid JSON whatever the bytes were, and the bytes can be recovered.
void AppendJsonBytes(std::string& out, std::string_view bytes);

// Appends text as UTF-8, unpaired surrogates as U+FFFD.
void AppendUtf8(std::string& out, std::u16string_view text);
