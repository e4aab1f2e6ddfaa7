// The program's messages on the console or on redirected standard streams.
#pragma once

#include <string>

// Writes UTF-16 text to standard output, or to standard error when toError,
// as UTF-8, and flushes it.
void WriteText(bool toError, const std::wstring& text);
