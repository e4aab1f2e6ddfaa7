// Writing an item's content to a file named by the script. The file is
// opened write-only with no sharing, so nobody can read a half-written file
// and a file that someone else holds open is not touched. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

// Writes size bytes from data to path and returns true only when the file
// was opened and every byte was written. Without overwrite an existing file
// makes this fail and stays as it was; with overwrite an existing file is
// truncated first. A failed or short write leaves the file with whatever
// was written. Null data, a negative size or a null path give false and
// touch nothing.
bool SaveBytesToFile(LPCWSTR path, const uint8_t* data, int32_t size, bool overwrite);

// The same with the platform's write call replaced, so that tests can make
// a write fail or come up short.
using WriteFileCall = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
bool SaveBytesToFileWith(WriteFileCall write, LPCWSTR path, const uint8_t* data, int32_t size,
                         bool overwrite);
