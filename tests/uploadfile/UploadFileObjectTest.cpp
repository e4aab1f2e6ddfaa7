#include "uploadfile/UploadFileObject.h"

#include "support/UploadFixture.h"
#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using Getter = HRESULT (STDMETHODCALLTYPE IUploadFile::*)(BSTR*);

using UploadFileTest = UploadTest;

// A property the item lacks is S_FALSE with the result untouched, so that a
// caller can tell an absent value from an empty one.
TEST_F(UploadFileTest, FileAndFieldReportTheirRecordsAndNothingElse)
{
    Serve({{"file1", "C:\\docs\\a.final.txt", "text/plain", "abc"},
           {"title", nullptr, nullptr, "Hello"}});
    const struct
    {
        Getter getter;
        const wchar_t* file;
        const wchar_t* field; // null: S_FALSE and untouched, as for no record
    } rows[] = {
        {&IUploadFile::get_Name, L"file1", L"title"},
        {&IUploadFile::get_FilePath, L"C:\\docs\\a.final.txt", nullptr},
        {&IUploadFile::get_FileName, L"a.final.txt", nullptr},
        {&IUploadFile::get_FileExt, L"txt", nullptr},
        {&IUploadFile::get_ContentType, L"text/plain", nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.file)));
        const wchar_t* expected[] = {row.file, row.field, nullptr};
        for (int position = 0; position < 3; ++position) {
            const TextResult result = ReadText(Item(position).Get(), row.getter);
            EXPECT_EQ(expected[position] ? S_OK : S_FALSE, result.status) << position;
            EXPECT_EQ(expected[position] ? expected[position] : L"", result.text) << position;
            EXPECT_EQ(!expected[position], result.untouched) << position;
        }
    }
    LONG size = -1;
    EXPECT_EQ(S_OK, Item(1)->get_Size(&size));
    EXPECT_EQ(5, size);
    EXPECT_EQ(S_FALSE, Item(2)->get_Size(&size));
    EXPECT_EQ(0, size);
}

// The test pages check the bytes of Content(False) as scripts see them; the
// script engines under Wine cannot read an array's bounds, so they are here.
TEST_F(UploadFileTest, ContentBytesAreACopyFromZeroThatTheCallerMayChange)
{
    Serve({{"f", "f.bin", nullptr, "abc"}, {"e", "e.bin", nullptr, ""}});
    VariantHolder empty;
    ASSERT_EQ(S_OK, Item(1)->get_Content(VARIANT_FALSE, empty.Get()));
    ASSERT_EQ(VT_ARRAY | VT_UI1, empty->vt);
    EXPECT_EQ(0, empty->parray->rgsabound[0].lLbound);
    EXPECT_EQ(0u, empty->parray->rgsabound[0].cElements);
    ComPtr<IUploadFile> item = Item(0);
    // The change made to the first result must not reach the second.
    for (char expected : {'a', 'a'}) {
        VariantHolder content;
        ASSERT_EQ(S_OK, item->get_Content(VARIANT_FALSE, content.Get()));
        ASSERT_EQ(VT_ARRAY | VT_UI1, content->vt);
        EXPECT_EQ(0, content->parray->rgsabound[0].lLbound);
        EXPECT_EQ(3u, content->parray->rgsabound[0].cElements);
        SafeArrayDataLock lock(content->parray);
        EXPECT_EQ(expected, static_cast<char*>(lock.Data())[0]);
        static_cast<char*>(lock.Data())[0] = 'z';
    }
}

TEST_F(UploadFileTest, AnyNonZeroIsStringAsksForText)
{
    Serve({{"t", nullptr, nullptr, std::string("a\0b", 3)}});
    for (VARIANT_BOOL isString : {VARIANT_BOOL(-1), VARIANT_BOOL(1), VARIANT_BOOL(2)}) {
        SCOPED_TRACE(isString);
        VariantHolder content;
        EXPECT_EQ(S_OK, Item(0)->get_Content(isString, content.Get()));
        ASSERT_EQ(VT_BSTR, content->vt);
        EXPECT_EQ(std::wstring(L"a\0b", 3),
                  std::wstring(content->bstrVal, SysStringLen(content->bstrVal)));
    }
}

} // namespace
