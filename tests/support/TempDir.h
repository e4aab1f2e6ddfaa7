// A scratch directory for tests that write files: made fresh under the
// temporary directory for each fixture and removed with everything in it
// when the fixture goes. Plus helpers to write and read whole files.
#pragma once

#include <windows.h>

#include <string>

class TempDir
{
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Full path of name inside the directory.
    std::wstring Path(const std::wstring& name) const { return m_path + L"\\" + name; }
    const std::wstring& Root() const { return m_path; }

private:
    std::wstring m_path;
};

// Writes bytes to path, replacing any file there; false on failure.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);
// The bytes of the file at path; "<missing>" when it cannot be read, so that
// comparisons against expected content fail visibly.
std::string ReadWholeFileForTest(const std::wstring& path);
bool FileExists(const std::wstring& path);
