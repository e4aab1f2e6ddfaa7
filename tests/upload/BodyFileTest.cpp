#include "upload/BodyFile.h"

#include "support/TempDir.h"
#include "upload/UploadBody.h"
#include "util/BstrHolder.h"
#include "util/Handles.h"
#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class BodyFile : public testing::Test
{
protected:
    // Loads path into a body that held another body before.
    std::string Read(const std::wstring& path, HRESULT expected = S_OK)
    {
        CUploadBody body;
        EXPECT_EQ(S_OK, body.AllocBody(3));
        body.AppendBody(reinterpret_cast<const uint8_t*>("old"), 3);
        EXPECT_EQ(expected, ReadBodyFile(path.c_str(), body));
        if (FAILED(expected)) {
            EXPECT_FALSE(body.HasBody());
            return {};
        }
        EXPECT_EQ(body.BodyCapacity(), body.BodyLength());
        return std::string(reinterpret_cast<const char*>(body.BodyData()), body.BodyLength());
    }

    // Writes value to a new file and returns the file's bytes.
    std::string Write(const VARIANT& value, HRESULT expected = S_OK)
    {
        const std::wstring path = m_dir.Path(L"value" + std::to_wstring(++m_files) + L".bin");
        bool created = false;
        EXPECT_EQ(expected, WriteVariantToNewFile(path.c_str(), value, created));
        EXPECT_TRUE(created);
        return ReadWholeFileForTest(path);
    }

    TempDir m_dir;
    int m_files = 0;
};

TEST_F(BodyFile, ReadsTheWholeFile)
{
    std::string bytes(300000, 'x');
    bytes[0] = '\0';
    bytes[299999] = '\xFF';
    ASSERT_TRUE(WriteWholeFile(m_dir.Path(L"body"), bytes));
    EXPECT_EQ(bytes, Read(m_dir.Path(L"body")));
    // An empty file is an empty body, which is present (and has no items).
    ASSERT_TRUE(WriteWholeFile(m_dir.Path(L"empty"), ""));
    CUploadBody body;
    EXPECT_EQ(S_OK, ReadBodyFile(m_dir.Path(L"empty").c_str(), body));
    EXPECT_TRUE(body.HasBody());
    EXPECT_EQ(0, body.BodyLength());
}

// A positive error number would pass every FAILED() test of its caller.
TEST_F(BodyFile, OpenFailuresAreFailureStatuses)
{
    Read(m_dir.Path(L"missing"), HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    Read(m_dir.Path(L"no-dir\\body"), HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
    Read(L"", HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
}

TEST_F(BodyFile, FileHeldOpenElsewhereIsRefused)
{
    const std::wstring path = m_dir.Path(L"held");
    ASSERT_TRUE(WriteWholeFile(path, "body"));
    HandleHolder holder(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    Read(path, HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION));
}

TEST_F(BodyFile, WritesByteArraysAndStringsAsDescribed)
{
    SAFEARRAYBOUND bound = {3, 0};
    VariantHolder bytes;
    bytes->vt = VT_ARRAY | VT_UI1;
    bytes->parray = SafeArrayCreate(VT_UI1, 1, &bound);
    {
        SafeArrayDataLock lock(bytes->parray);
        memcpy(lock.Data(), "a\0b", 3);
    }
    EXPECT_EQ(std::string("a\0b", 3), Write(*bytes.Get()));

    VariantHolder text;
    text->vt = VT_BSTR;
    text->bstrVal = SysAllocString(L"A\x4E2D");
    EXPECT_EQ(std::string("\xFF\xFE"
                          "A\0\x2D\x4E\0\0",
                          8),
              Write(*text.Get()));

    VariantHolder nullText;
    nullText->vt = VT_BSTR;
    EXPECT_EQ(std::string("\xFF\xFE\0\0", 4), Write(*nullText.Get()));

    VARIANT reference;
    reference.vt = VT_BYREF | VT_VARIANT;
    reference.pvarVal = text.Get();
    EXPECT_EQ(std::string("\xFF\xFE"
                          "A\0\x2D\x4E\0\0",
                          8),
              Write(reference));

    VariantHolder number;
    number->vt = VT_I4;
    number->lVal = 7;
    EXPECT_EQ("", Write(*number.Get()));
}

TEST_F(BodyFile, NullReferenceLeavesAnEmptyFile)
{
    VARIANT reference;
    reference.vt = VT_BYREF | VT_VARIANT;
    reference.pvarVal = nullptr;
    EXPECT_EQ("", Write(reference, E_POINTER));
}

} // namespace
