#include "uploadfile/SaveToFile.h"

#include "support/TempDir.h"
#include "util/Handles.h"

#include <gtest/gtest.h>
#include <string>

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

TEST_F(SaveToFile, EmptyContentMakesAnEmptyFile)
{
    const std::wstring path = m_dir.Path(L"empty.txt");
    ASSERT_TRUE(WriteWholeFile(path, "old"));
    EXPECT_TRUE(Save(path, "", true));
    EXPECT_EQ("", ReadWholeFileForTest(path));
}

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

TEST_F(SaveToFile, NothingToWriteGivesFalseAndNoFile)
{
    const std::wstring path = m_dir.Path(L"none.txt");
    EXPECT_FALSE(SaveBytesToFile(path.c_str(), nullptr, 0, true));
    EXPECT_FALSE(FileExists(path));
}

BOOL WINAPI WriteHalf(HANDLE file, LPCVOID data, DWORD count, LPDWORD written, LPOVERLAPPED)
{
    return WriteFile(file, data, count / 2, written, nullptr);
}

BOOL WINAPI WriteFails(HANDLE, LPCVOID, DWORD, LPDWORD written, LPOVERLAPPED)
{
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

TEST_F(SaveToFile, ShortOrFailedWriteIsFalseAndKeepsWhatWasWritten)
{
    const std::string bytes = "0123456789";
    const std::wstring shortPath = m_dir.Path(L"short.txt");
    EXPECT_FALSE(SaveBytesToFileWith(WriteHalf, shortPath.c_str(),
                                     reinterpret_cast<const uint8_t*>(bytes.data()), 10, false));
    EXPECT_EQ("01234", ReadWholeFileForTest(shortPath));

    const std::wstring failedPath = m_dir.Path(L"failed.txt");
    EXPECT_FALSE(SaveBytesToFileWith(WriteFails, failedPath.c_str(),
                                     reinterpret_cast<const uint8_t*>(bytes.data()), 10, false));
    EXPECT_EQ("", ReadWholeFileForTest(failedPath));
}

} // namespace
