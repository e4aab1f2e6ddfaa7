// Code page conversions and file reading for the page runner.
#include "asp/TextCoding.h"

#include "util/Handles.h"

#include <windows.h>

std::wstring WidenBytes(std::string_view bytes, unsigned codePage)
{
    if (bytes.empty())
        return std::wstring();
    const UINT page = codePage ? codePage : CP_ACP;
    const int size = static_cast<int>(bytes.size());
    const int length = MultiByteToWideChar(page, 0, bytes.data(), size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(page, 0, bytes.data(), size, text.data(), length);
    return text;
}

std::string NarrowText(std::wstring_view text, unsigned codePage)
{
    if (text.empty())
        return std::string();
    const UINT page = codePage ? codePage : CP_ACP;
    const int size = static_cast<int>(text.size());
    const int length =
        WideCharToMultiByte(page, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(page, 0, text.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

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
