#include "uploadfile/UploadFileObject.h"

#include "support/TempDir.h"
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

    VARIANT_BOOL SaveAs(IUploadFile* item, const std::wstring& path, VARIANT_BOOL overwrite,
                        HRESULT expected = S_OK)
    {
        BSTR pathText = SysAllocString(path.c_str());
        VARIANT_BOOL saved = 7;
        EXPECT_EQ(expected, item->SaveAs(pathText, overwrite, &saved));
        SysFreeString(pathText);
        return saved;
    }
};

TEST_F(UploadFileTest, FileAndFieldReportTheirRecords)
{
    Serve({{"file1", "C:\\docs\\a.final.txt", "text/plain", "abc"},
           {"title", nullptr, nullptr, "Hello"}});
    struct Row
    {
        const char* label;
        int position;
        Getter getter;
        HRESULT status;
        const wchar_t* text; // null: untouched
    } rows[] = {
        {"file Name", 0, &IUploadFile::get_Name, S_OK, L"file1"},
        {"file FilePath", 0, &IUploadFile::get_FilePath, S_OK, L"C:\\docs\\a.final.txt"},
        {"file FileName", 0, &IUploadFile::get_FileName, S_OK, L"a.final.txt"},
        {"file FileExt", 0, &IUploadFile::get_FileExt, S_OK, L"txt"},
        {"file ContentType", 0, &IUploadFile::get_ContentType, S_OK, L"text/plain"},
        {"field Name", 1, &IUploadFile::get_Name, S_OK, L"title"},
        {"field FilePath", 1, &IUploadFile::get_FilePath, S_FALSE, nullptr},
        {"field FileName", 1, &IUploadFile::get_FileName, S_FALSE, nullptr},
        {"field FileExt", 1, &IUploadFile::get_FileExt, S_FALSE, nullptr},
        {"field ContentType", 1, &IUploadFile::get_ContentType, S_FALSE, nullptr},
        {"none Name", 2, &IUploadFile::get_Name, S_FALSE, nullptr},
        {"none FilePath", 2, &IUploadFile::get_FilePath, S_FALSE, nullptr},
        {"none FileName", 2, &IUploadFile::get_FileName, S_FALSE, nullptr},
        {"none FileExt", 2, &IUploadFile::get_FileExt, S_FALSE, nullptr},
        {"none ContentType", 2, &IUploadFile::get_ContentType, S_FALSE, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        ComPtr<IUploadFile> item = Item(row.position);
        const TextResult result = ReadText(item.Get(), row.getter);
        EXPECT_EQ(row.status, result.status);
        EXPECT_EQ(row.text == nullptr, result.untouched);
        if (row.text) {
            EXPECT_EQ(row.text, result.text);
        }
    }
}

TEST_F(UploadFileTest, SizeOfNothingIsZeroWithSFalse)
{
    Serve({{"title", nullptr, nullptr, "Hello"}});
    LONG size = -1;
    EXPECT_EQ(S_OK, Item(0)->get_Size(&size));
    EXPECT_EQ(5, size);
    size = -1;
    EXPECT_EQ(S_FALSE, Item(1)->get_Size(&size));
    EXPECT_EQ(0, size);
    EXPECT_EQ(E_POINTER, Item(0)->get_Size(nullptr));
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

TEST_F(UploadFileTest, EmptyContentAsTextIsEmptyWithSFalse)
{
    Serve({{"e", "e.bin", nullptr, ""}});
    VariantHolder content;
    content->vt = VT_I4;
    EXPECT_EQ(S_FALSE, Item(0)->get_Content(VARIANT_TRUE, content.Get()));
    EXPECT_EQ(VT_EMPTY, content->vt);
}

TEST_F(UploadFileTest, PageCodeDecisionOfContent)
{
    struct Row
    {
        const char* label;
        long pageCodeBefore;
        std::string content;
        std::wstring text;
        long pageCodeAfter;
    } rows[] = {
        {"utf-8 sets 65001", 65535, "\xE4\xB8\xAD", L"\x4E2D", 65001},
        {"ascii decides nothing", 65535, "abc", L"abc", 65535},
        {"0xFF sets 0", 65535,
         "\xFF"
         "abc",
         L"\xFF"
         L"abc",
         0},
        {"936 is used and kept", 936, "\xD6\xD0", L"\x4E2D", 936},
        {"65001 set beforehand is kept", 65001, "\xE4\xB8\xAD", L"\x4E2D", 65001},
        {"1252 set beforehand is kept", 1252, "\xE9", L"\xE9", 1252},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        HostDouble host;
        ComPtr<IUploadNative> upload = NewUploadObject();
        const std::string body = MultipartBody({{"t", nullptr, nullptr, row.content}});
        host.SetBody(std::vector<uint8_t>(body.begin(), body.end()));
        ASSERT_EQ(S_OK, upload->OnStartPage(host.Context()));
        ASSERT_EQ(S_OK, upload->put_PageCode(row.pageCodeBefore));
        VariantHolder index, result;
        index->vt = VT_I4;
        ASSERT_EQ(S_OK, upload->get_Item(*index.Get(), result.Get()));
        ComPtr<IUploadFile> item;
        ASSERT_EQ(S_OK,
                  result->pdispVal->QueryInterface(
                      IID_IUploadFile, reinterpret_cast<void**>(item.ReleaseAndGetAddressOf())));
        EXPECT_EQ(row.text, Text(item.Get()));
        LONG pageCode = -1;
        upload->get_PageCode(&pageCode);
        EXPECT_EQ(row.pageCodeAfter, pageCode);
    }
}

TEST_F(UploadFileTest, AfterABinaryItemUtf8IsDecodedWithCodePageZero)
{
    Serve({{"image", "a.jpg", "image/jpeg", "\xFF\xD8\xFF\xE0JFIF"},
           {"text", nullptr, nullptr, "\xE4\xB8\xAD"}});
    Text(Item(0).Get());
    EXPECT_EQ(0, PageCode());
    // Code page 0 is 1252 on the test machines.
    EXPECT_EQ(L"\xE4\xB8\xAD", Text(Item(1).Get()));
    EXPECT_EQ(0, PageCode());
}

TEST_F(UploadFileTest, UnboundItemReportsNothingAndWritesNothing)
{
    CComObject<CComUploadFile>* object = nullptr;
    ASSERT_EQ(S_OK, CComObject<CComUploadFile>::CreateInstance(&object));
    ComPtr<IUploadFile> item(object);
    for (Getter getter :
         {&IUploadFile::get_Name, &IUploadFile::get_FileName, &IUploadFile::get_FilePath,
          &IUploadFile::get_FileExt, &IUploadFile::get_ContentType}) {
        const TextResult result = ReadText(item.Get(), getter);
        EXPECT_EQ(S_FALSE, result.status);
        EXPECT_TRUE(result.untouched);
    }
    VariantHolder content;
    content->vt = VT_I4;
    EXPECT_EQ(S_FALSE, item->get_Content(VARIANT_FALSE, content.Get()));
    EXPECT_EQ(VT_I4, content->vt);
    TempDir dir;
    EXPECT_EQ(VARIANT_FALSE, SaveAs(item.Get(), dir.Path(L"x.bin"), VARIANT_TRUE, S_FALSE));
    EXPECT_FALSE(FileExists(dir.Path(L"x.bin")));
}

TEST_F(UploadFileTest, SaveAsTwiceIsTrueThenFalseAndKeepsTheFirstFile)
{
    Serve({{"f", "f.bin", nullptr, std::string("\x00\x01\xFF", 3)},
           {"g", "g.bin", nullptr, "other"}});
    TempDir dir;
    const std::wstring path = dir.Path(L"f.bin");
    EXPECT_EQ(VARIANT_TRUE, SaveAs(Item(0).Get(), path, VARIANT_FALSE));
    EXPECT_EQ(VARIANT_FALSE, SaveAs(Item(1).Get(), path, VARIANT_FALSE));
    EXPECT_EQ(std::string("\x00\x01\xFF", 3), ReadWholeFileForTest(path));
    EXPECT_EQ(VARIANT_TRUE, SaveAs(Item(1).Get(), path, VARIANT_TRUE));
    EXPECT_EQ(VARIANT_TRUE, SaveAs(Item(1).Get(), path, VARIANT_TRUE));
    EXPECT_EQ("other", ReadWholeFileForTest(path));
    EXPECT_EQ(VARIANT_FALSE, SaveAs(Item(0).Get(), L"", VARIANT_TRUE));
    EXPECT_EQ(E_POINTER, Item(0)->SaveAs(nullptr, VARIANT_TRUE, nullptr));
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
