// See ConsoleOutput.h. Failed writes are not reported: there is nowhere left
// to report them to, and the exit code still tells the caller what happened.
// Each call is one write, so lines from several threads do not interleave.
#include "common/ConsoleOutput.h"

#include "common/CodePageText.h"

#include <algorithm>

void WriteText(DWORD stdHandle, const std::string& utf8)
{
    const HANDLE handle = GetStdHandle(stdHandle);
    if (handle == INVALID_HANDLE_VALUE || !handle || utf8.empty())
        return;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = WidenBytes(utf8, CP_UTF8);
        DWORD written = 0;
        if (!wide.empty())
            WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    size_t done = 0;
    while (done < utf8.size()) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(utf8.size() - done, 1u << 20));
        if (!WriteFile(handle, utf8.data() + done, piece, &written, nullptr) || written == 0)
            return;
        done += written;
    }
}

void WriteText(DWORD stdHandle, const std::wstring& text)
{
    WriteText(stdHandle, NarrowText(text, CP_UTF8));
}
