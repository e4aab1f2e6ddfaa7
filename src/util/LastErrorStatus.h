// LastErrorStatus: the failure status for the calling thread's last platform
// error, for calls that report failure through GetLastError. A failure that
// left no error number is still a failure (E_FAIL), so it is never reported
// as success; an error number e becomes HRESULT_FROM_WIN32(e).
#pragma once

#include <windows.h>

inline HRESULT LastErrorStatus() noexcept
{
    const DWORD error = GetLastError();
    return error == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(error);
}
