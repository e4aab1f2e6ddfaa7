// Writing the tool's UTF-8 output to standard output or standard error. A
// pipe or file receives the UTF-8 bytes unchanged (that is what scripts and
// tests read); a console receives the same text through the wide console
// call, so it shows correctly whatever the console's code page.
#pragma once

#include <windows.h>

#include <string>

// Writes text to the handle (STD_OUTPUT_HANDLE or STD_ERROR_HANDLE).
void WriteText(DWORD stdHandle, const std::string& utf8);
