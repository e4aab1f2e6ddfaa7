#include "upload/UploadObject.h"

#include "support/TempDir.h"
#include "support/ThreadError.h"
#include "support/UploadFixture.h"
#include "util/BstrHolder.h"
#include "util/VariantHolder.h"

#include <gtest/gtest.h>
#include <string>

namespace {

std::wstring NameOf(IUploadFile* item)
{
    const TextResult name = ReadText(item, &IUploadFile::get_Name);
    return name.untouched ? L"<none>" : name.text;
}

const std::vector<BodyPart> kThreeParts = {
    {"file1", "a.txt", "text/plain", "first"},
    {"title", nullptr, nullptr, "second"},
    {"file1", "b.txt", "text/plain", "third"},
};

class UploadObjectTest : public UploadTest
{
protected:
    TempDir m_dir;
};

TEST_F(UploadObjectTest, PositionsAreReadAtTheWidthOfTheirType)
{
    Serve(kThreeParts);
    struct Row
    {
        const char* label;
        VARTYPE type;
        LONG bits; // written to the whole 32-bit field before the type is set
        const wchar_t* name;
    } rows[] = {
        {"I2 0", VT_I2, 0, L"file1"},
        {"I2 with high garbage", VT_I2, 0x00050001, L"title"},
        {"UI2 with high garbage", VT_UI2, static_cast<LONG>(0xFFFF0001), L"title"},
        {"I4 2", VT_I4, 2, L"file1"},
        {"UI4 1", VT_UI4, 1, L"title"},
        {"INT 1", VT_INT, 1, L"title"},
        {"UINT 1", VT_UINT, 1, L"title"},
        {"I2 -1", VT_I2, 0xFFFF, L"<none>"},
        {"I4 -1", VT_I4, -1, L"<none>"},
        {"UI4 above every position", VT_UI4, static_cast<LONG>(0xFFFFFFFF), L"<none>"},
        {"I1 is no position", VT_I1, 1, L"<none>"},
        {"EMPTY", VT_EMPTY, 0, L"<none>"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        VARIANT index;
        VariantInit(&index);
        index.lVal = row.bits;
        index.vt = row.type;
        EXPECT_EQ(row.name, NameOf(Item(index).Get()));
    }
}

TEST_F(UploadObjectTest, NamesFoldOnlyAsciiLettersAndTheFirstMatchWins)
{
    Serve({{"file1", "a.txt", nullptr, "first"},
           {"\xC3\x84x", nullptr, nullptr, "umlaut"},
           {"FILE1", nullptr, nullptr, "second"},
           {nullptr, nullptr, nullptr, "unnamed"}});
    struct Row
    {
        const wchar_t* name;
        long size; // -1: no record
    } rows[] = {
        {L"file1", 5},  {L"FILE1", 5}, {L"File1", 5},   {L"\xC4x", 6}, {L"\xC4X", 6},
        {L"\xE4x", -1}, {L"file", -1}, {L"file1 ", -1}, {L"", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(row.name)));
        LONG size = -1;
        const HRESULT hr = ItemNamed(row.name)->get_Size(&size);
        EXPECT_EQ(row.size < 0 ? S_FALSE : S_OK, hr);
        EXPECT_EQ(row.size < 0 ? 0 : row.size, size);
    }
    VARIANT nullName;
    nullName.vt = VT_BSTR;
    nullName.bstrVal = nullptr;
    EXPECT_EQ(L"<none>", NameOf(Item(nullName).Get()));
}

TEST_F(UploadObjectTest, ByReferenceIndexBehavesLikeItsValue)
{
    // A position by reference is proven from script (items.vbs).
    Serve(kThreeParts);
    VARIANT byReference;
    byReference.vt = VT_BYREF | VT_VARIANT;
    VariantHolder name;
    name->vt = VT_BSTR;
    name->bstrVal = SysAllocString(L"TITLE");
    byReference.pvarVal = name.Get();
    EXPECT_EQ(L"title", NameOf(Item(byReference).Get()));

    byReference.pvarVal = nullptr;
    EXPECT_EQ(L"<none>", NameOf(Item(byReference).Get()));

    LONG value = 1;
    VARIANT otherReference;
    otherReference.vt = VT_BYREF | VT_I4;
    otherReference.plVal = &value;
    EXPECT_EQ(L"<none>", NameOf(Item(otherReference).Get()));
}

TEST_F(UploadObjectTest, SecondStartPageReleasesTheFirstHost)
{
    HostDouble first;
    ASSERT_EQ(S_OK, m_upload->OnStartPage(first.Context()));
    EXPECT_EQ(2, first.References());
    Serve(kThreeParts);
    EXPECT_EQ(0, first.References());
    EXPECT_EQ(3, Count());
    EXPECT_EQ(S_OK, m_upload->OnEndPage());
    EXPECT_EQ(0, m_host.References());
}

TEST_F(UploadObjectTest, LoadedBodyReturnsThePageCodeToAutomatic)
{
    const std::wstring path = m_dir.Path(L"body");
    ASSERT_TRUE(WriteWholeFile(path, MultipartBody(kThreeParts)));
    ASSERT_EQ(S_OK, m_upload->put_PageCode(936));
    BstrHolder pathText(SysAllocString(path.c_str()));
    ASSERT_EQ(S_OK, m_upload->LoadBodyFromFile(pathText.Get()));
    EXPECT_EQ(65535, PageCode());
    EXPECT_EQ(3, Count());
}

TEST_F(UploadObjectTest, SaveVariantNeverReplacesAFile)
{
    const std::wstring path = m_dir.Path(L"exists");
    ASSERT_TRUE(WriteWholeFile(path, "keep"));
    VariantHolder value;
    value->vt = VT_BSTR;
    value->bstrVal = SysAllocString(L"new");
    BstrHolder pathText(SysAllocString(path.c_str()));
    ClearThreadError();
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_EXISTS),
              m_upload->SaveVariantToFile(pathText.Get(), *value.Get()));
    const ThreadError error = TakeThreadError();
    EXPECT_EQ(L"Fail to create file", error.description);
    EXPECT_FALSE(error.hasHelpFile);
    EXPECT_EQ(0u, error.helpContext);
    EXPECT_EQ("keep", ReadWholeFileForTest(path));

    BstrHolder newPath(SysAllocString(m_dir.Path(L"new").c_str()));
    EXPECT_EQ(S_OK, m_upload->SaveVariantToFile(newPath.Get(), *value.Get()));
    EXPECT_EQ(std::string("\xFF\xFEn\0e\0w\0\0\0", 10), ReadWholeFileForTest(m_dir.Path(L"new")));
    EXPECT_FALSE(TakeThreadError().present);
}

} // namespace
