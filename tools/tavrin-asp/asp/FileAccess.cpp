// Whole-file reads and modification stamps of files on disk.
#include "asp/FileAccess.h"

#include "util/Handles.h"

#include <windows.h>

bool ReadWholeFile(const std::wstring& path, std::string& bytes)
{
    HandleHolder file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF)
        return false;
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    DWORD done = 0;
    return bytes.empty() ||
           (ReadFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
            done == bytes.size());
}

uint64_t FileStamp(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return 0;
    return (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32 |
            data.ftLastWriteTime.dwLowDateTime) ^
           (uint64_t{data.nFileSizeLow} << 1);
}
