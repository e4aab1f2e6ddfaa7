// Writing an item's content to a file named by the script. The content goes
// to a new temporary file in the target's folder first and replaces the
// target only once every byte is written and the file is closed, so a
// failed save never leaves the target half-written and never destroys the
// file it was to replace. Windows only.
#pragma once

#include <windows.h>

#include <cstdint>

// Writes size bytes from data to path and returns true only when every byte
// was written and the file now stands under path. Without overwrite an
// existing target makes this fail and stays as it was; with overwrite it is
// replaced whole, unless someone else holds it open. Targets that Windows
// would rename or misroute (see SaveTarget.h) give false and touch nothing.
// On any failure the target is as it was and no temporary file remains.
// Null data, a negative size or a null path give false and touch nothing.
bool SaveBytesToFile(LPCWSTR path, const uint8_t* data, int32_t size, bool overwrite);

// The same with the platform's write call replaced, so that tests can make
// a write fail or come up short. Content is written in chunks of
// kSaveChunkBytes.
using WriteFileCall = BOOL(WINAPI*)(HANDLE, LPCVOID, DWORD, LPDWORD, LPOVERLAPPED);
constexpr DWORD kSaveChunkBytes = 1 << 20;
bool SaveBytesToFileWith(WriteFileCall write, LPCWSTR path, const uint8_t* data, int32_t size,
                         bool overwrite);
