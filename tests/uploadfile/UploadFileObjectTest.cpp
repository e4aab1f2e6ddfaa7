#include "uploadfile/UploadFileObject.h"

#include "support/UploadFixture.h"
#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace {

using Getter = HRESULT (STDMETHODCALLTYPE IUploadFile::*)(BSTR*);

class UploadFileTest : public UploadTest
{
protected:
    std::string Bytes(IUploadFile* item)
    {
        VariantHolder content;
        EXPECT_EQ(S_OK, item->get_Content(VARIANT_FALSE, content.Get()));
        if (content->vt != (VT_ARRAY | VT_UI1)) {
            ADD_FAILURE() << "not a byte array: " << content->vt;
            return {};
        }
        LONG lower = -1, upper = -2;
        SafeArrayGetLBound(content->parray, 1, &lower);
        SafeArrayGetUBound(content->parray, 1, &upper);
        EXPECT_EQ(0, lower);
        SafeArrayDataLock lock(content->parray);
        return std::string(static_cast<const char*>(lock.Data()), upper - lower + 1);
    }

    std::wstring Text(IUploadFile* item, VARIANT_BOOL isString = VARIANT_TRUE)
    {
        VariantHolder content;
        EXPECT_EQ(S_OK, item->get_Content(isString, content.Get()));
        EXPECT_EQ(VT_BSTR, content->vt);
        return std::wstring(content->bstrVal, SysStringLen(content->bstrVal));
    }
};

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

TEST_F(UploadFileTest, ContentBytesAreAnExactCopy)
{
    const std::string bytes("a\0b\xFF\r\n", 6);
    Serve({{"f", "f.bin", nullptr, bytes}, {"e", "e.bin", nullptr, ""}});
    ComPtr<IUploadFile> item = Item(0);
    EXPECT_EQ(bytes, Bytes(item.Get()));
    EXPECT_EQ("", Bytes(Item(1).Get()));

    // Changing the array changes neither the item nor a later result.
    VariantHolder content;
    ASSERT_EQ(S_OK, item->get_Content(VARIANT_FALSE, content.Get()));
    {
        SafeArrayDataLock lock(content->parray);
        static_cast<char*>(lock.Data())[0] = 'z';
    }
    EXPECT_EQ(bytes, Bytes(item.Get()));
}

TEST_F(UploadFileTest, AnyNonZeroIsStringAsksForText)
{
    Serve({{"t", nullptr, nullptr, std::string("a\0b", 3)}});
    for (VARIANT_BOOL isString : {VARIANT_BOOL(-1), VARIANT_BOOL(1), VARIANT_BOOL(2)}) {
        SCOPED_TRACE(isString);
        EXPECT_EQ(std::wstring(L"a\0b", 3), Text(Item(0).Get(), isString));
    }
}

// Counts the references held on an object: one added and dropped again.
ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

TEST(UploadFileOwnership, ItemKeepsItsRecordsBodyAndOwnerUntilItGoes)
{
    auto body = std::make_shared<CUploadBody>();
    const std::string bytes = MultipartBody({{"a", nullptr, nullptr, "x"}});
    ASSERT_EQ(S_OK, body->AllocBody(static_cast<int32_t>(bytes.size())));
    body->AppendBody(reinterpret_cast<const uint8_t*>(bytes.data()),
                     static_cast<int32_t>(bytes.size()));
    int32_t pageCode = 65535;
    ASSERT_TRUE(SUCCEEDED(body->ParseBody(pageCode)));
    std::weak_ptr<CUploadBody> watch = body;
    ComPtr<IUploadNative> owner = NewUploadObject();

    CComObject<CComUploadFile>* object = nullptr;
    ASSERT_EQ(S_OK, CComObject<CComUploadFile>::CreateInstance(&object));
    ComPtr<IUploadFile> item(object);
    object->BindFormItem(body->Fields().ElementAt(0), body, owner.Get());
    EXPECT_EQ(2u, References(owner.Get()));

    body.reset();
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(L"a", ReadText(item.Get(), &IUploadFile::get_Name).text);
    item.Reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(1u, References(owner.Get()));
}

} // namespace
