// See ConsoleOutput.h. Failed writes are not reported: there is nowhere left
// to report them to, and the exit code still tells the caller what happened.
#include "common/ConsoleOutput.h"

#include <algorithm>
#include <vector>

void WriteText(DWORD stdHandle, const std::string& utf8)
{
    const HANDLE handle = GetStdHandle(stdHandle);
    if (handle == INVALID_HANDLE_VALUE || !handle || utf8.empty())
        return;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const int units =
            MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
        if (units > 0) {
            std::vector<wchar_t> wide(static_cast<size_t>(units));
            MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                units);
            DWORD written = 0;
            WriteConsoleW(handle, wide.data(), static_cast<DWORD>(units), &written, nullptr);
            return;
        }
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
