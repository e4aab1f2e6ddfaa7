// TempDir and the whole-file helpers: see TempDir.h.
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <iterator>

TempDir::TempDir()
{
    const std::filesystem::path root = std::filesystem::temp_directory_path();
    static unsigned counter = 0;
    do {
        const std::wstring name =
            L"tavrin-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        m_path = (root / name).wstring();
    } while (!CreateDirectoryW(m_path.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes)
{
    std::ofstream file(path.c_str(), std::ios::binary | std::ios::trunc);
    return file.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush().good();
}

std::string ReadWholeFileForTest(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    if (!file)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
