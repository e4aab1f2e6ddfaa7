// Writing a tool's output to standard output or standard error, the one
// console writer of both tools. A pipe or file receives UTF-8 bytes
// unchanged (that is what scripts and tests read); a console receives the
// same text through the wide console call, so it shows correctly whatever
// the console's code page.
#pragma once

#include <windows.h>

#include <string>

// Writes UTF-8 text to the handle (STD_OUTPUT_HANDLE or STD_ERROR_HANDLE).
void WriteText(DWORD stdHandle, const std::string& utf8);
// Writes UTF-16 text the same way, as UTF-8.
void WriteText(DWORD stdHandle, const std::wstring& text);
