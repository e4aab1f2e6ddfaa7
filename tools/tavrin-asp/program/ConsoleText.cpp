// The program's console writer: UTF-8 bytes on the standard streams.
#include "program/ConsoleText.h"

#include "asp/CodePageText.h"

#include <windows.h>

#include <cstdio>

void WriteText(bool toError, const std::wstring& text)
{
    const std::string bytes = NarrowText(text, CP_UTF8);
    FILE* stream = toError ? stderr : stdout;
    fwrite(bytes.data(), 1, bytes.size(), stream);
    fflush(stream);
}
