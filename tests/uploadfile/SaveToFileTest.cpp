#include "uploadfile/SaveToFile.h"

#include "support/TempDir.h"
#include "util/Handles.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class SaveToFile : public testing::Test
{
protected:
    bool Save(const std::wstring& path, const std::string& bytes, bool overwrite)
    {
        return SaveBytesToFile(path.c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                               static_cast<int32_t>(bytes.size()), overwrite);
    }

    TempDir m_dir;
};

TEST_F(SaveToFile, UnusablePathsGiveFalse)
{
    struct Row
    {
        const char* label;
        std::wstring path;
    } rows[] = {
        {"missing directory", m_dir.Path(L"no-such-dir\\out.txt")},
        {"a directory", m_dir.Root()},
        {"invalid characters", m_dir.Path(L"a<b>.txt")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_FALSE(Save(row.path, "x", true));
    }
    EXPECT_FALSE(FileExists(m_dir.Path(L"no-such-dir")));
}

TEST_F(SaveToFile, FileHeldOpenElsewhereIsNotTouched)
{
    const std::wstring path = m_dir.Path(L"held.txt");
    ASSERT_TRUE(WriteWholeFile(path, "held"));
    {
        HandleHolder holder(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder);
        EXPECT_FALSE(Save(path, "other", true));
    }
    EXPECT_EQ("held", ReadWholeFileForTest(path));
}

// Names of everything in the directory, so that a test can see that a
// failed save left no temporary file behind.
std::vector<std::wstring> Entries(const std::wstring& dir)
{
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().wstring());
    return names;
}

int g_writeCalls = 0;

// Fails the third call: the last chunk of a body of two and a half chunks.
BOOL WINAPI FailThirdChunk(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED)
{
    if (++g_writeCalls == 3) {
        *written = 0;
        SetLastError(ERROR_DISK_FULL);
        return FALSE;
    }
    return WriteFile(file, data, count, written, nullptr);
}

BOOL WINAPI WriteHalf(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED)
{
    return WriteFile(file, data, count / 2, written, nullptr);
}

TEST_F(SaveToFile, FailedOrShortWriteKeepsTheOldFileAndLeavesNoTemporaryFile)
{
    const std::string bytes(kSaveChunkBytes * 5 / 2, 'n');
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    const std::wstring path = m_dir.Path(L"kept.bin");
    ASSERT_TRUE(WriteWholeFile(path, "old content"));

    g_writeCalls = 0;
    EXPECT_FALSE(SaveBytesToFileWith(FailThirdChunk, path.c_str(), data,
                                     static_cast<int32_t>(bytes.size()), true));
    EXPECT_EQ(3, g_writeCalls);
    EXPECT_FALSE(SaveBytesToFileWith(WriteHalf, path.c_str(), data, 10, true));
    EXPECT_EQ("old content", ReadWholeFileForTest(path));

    const std::wstring fresh = m_dir.Path(L"fresh.bin");
    EXPECT_FALSE(SaveBytesToFileWith(WriteHalf, fresh.c_str(), data, 10, false));
    EXPECT_EQ(std::vector<std::wstring>{L"kept.bin"}, Entries(m_dir.Root()));
}

TEST_F(SaveToFile, OverwriteReplacesTheWholeFileAndLeavesNoTemporaryFile)
{
    const std::wstring path = m_dir.Path(L"big.bin");
    for (const std::string& bytes : {std::string(), std::string(kSaveChunkBytes + 7, 'x')}) {
        ASSERT_TRUE(WriteWholeFile(path, std::string(kSaveChunkBytes * 3, 'o')));
        EXPECT_TRUE(Save(path, bytes, true));
        EXPECT_EQ(bytes, ReadWholeFileForTest(path));
        EXPECT_EQ(std::vector<std::wstring>{L"big.bin"}, Entries(m_dir.Root()));
    }
}

// Windows would store these under another name (trailing dots and spaces
// dropped), in an alternate stream, or in a device; lookalikes are saved.
TEST_F(SaveToFile, NamesThatWindowsWouldChangeOrMisrouteAreRefused)
{
    const struct Row
    {
        const wchar_t* name;
        bool saved;
    } rows[] = {
        {L"shell.asp.", false},    {L"shell.asp ", false}, {L"shell.asp::$DATA", false},
        {L"a.asp:b.jpg", false},   {L"nul.jpg", false},    {L"CON", false},
        {L"con.txt", false},       {L"Prn.tar.gz", false}, {L"aux .txt", false},
        {L"COM1.txt", false},      {L"lpt9", false},       {L"com\u00b9.txt", false},
        {L"LPT\u00b3.jpg", false}, {L"..", false},         {L"console.txt", true},
        {L"com10.txt", true},      {L"lpt.txt", true},     {L"nul_.jpg", true},
        {L"a.b c.txt", true},      {L".hidden", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(&row - rows));
        TempDir dir;
        const std::wstring path = dir.Path(row.name);
        EXPECT_EQ(row.saved, Save(path, "content", true));
        EXPECT_EQ(row.saved ? 1u : 0u, Entries(dir.Root()).size());
    }
}

} // namespace
