#include "upload/BodyFile.h"

#include "support/TempDir.h"
#include "upload/body/UploadBody.h"
#include "util/Handles.h"
#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <gtest/gtest.h>
#include <string>

namespace {

class BodyFile : public testing::Test
{
protected:
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

TEST_F(BodyFile, FileHeldOpenElsewhereIsRefusedAndTheOldBodyIsGone)
{
    const std::wstring path = m_dir.Path(L"held");
    ASSERT_TRUE(WriteWholeFile(path, "body"));
    HandleHolder holder(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    CUploadBody body;
    ASSERT_EQ(S_OK, body.AllocBody(3));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION), ReadBodyFile(path.c_str(), body));
    EXPECT_FALSE(body.HasBody());
}

TEST_F(BodyFile, WritesByteArraysAndStringsAsDescribed)
{
    VariantHolder bytes;
    bytes->vt = VT_ARRAY | VT_UI1;
    bytes->parray = SafeArrayCreateVector(VT_UI1, 0, 3);
    {
        SafeArrayDataLock lock(bytes->parray);
        memcpy(lock.Data(), "a\0b", 3);
    }
    EXPECT_EQ(std::string("a\0b", 3), Write(*bytes.Get()));

    VariantHolder text;
    text->vt = VT_BSTR;
    text->bstrVal = SysAllocString(L"A\x4E2D");
    const std::string textBytes("\xFF\xFE"
                                "A\0\x2D\x4E\0\0",
                                8);
    EXPECT_EQ(textBytes, Write(*text.Get()));
    VARIANT reference;
    reference.vt = VT_BYREF | VT_VARIANT;
    reference.pvarVal = text.Get();
    EXPECT_EQ(textBytes, Write(reference));

    VariantHolder nullText;
    nullText->vt = VT_BSTR;
    EXPECT_EQ(std::string("\xFF\xFE\0\0", 4), Write(*nullText.Get()));

    VariantHolder number;
    number->vt = VT_I4;
    EXPECT_EQ("", Write(*number.Get()));

    reference.pvarVal = nullptr;
    EXPECT_EQ("", Write(reference, E_POINTER)) << "a null reference leaves an empty file";
}

} // namespace
