// The version resource of every binary of this architecture (the DLL and the
// two programs), read back as the file's properties read it: the platform's
// version API, the fixed numbers, then the strings through the translation
// that the resource names. Each must carry the project's one version number.
#include "TavrinVersion.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Binary
{
    const char* label;
    const wchar_t* path;
    const wchar_t* originalName;
    DWORD fileType;
};

const Binary kBinaries[] = {
    {"DLL", L"" TAVRIN_DLL_PATH, L"TavrinUpload.dll", VFT_DLL},
    {"web host", L"" TAVRIN_ASP_PATH, L"tavrin-asp.exe", VFT_APP},
    {"upload tool", L"" TAVRIN_UPLOAD_TOOL_PATH, L"tavrin-upload.exe", VFT_APP},
};

// The file's whole version resource; empty when it has none.
std::vector<BYTE> ReadVersionInfo(const wchar_t* path)
{
    DWORD ignored = 0;
    std::vector<BYTE> data(GetFileVersionInfoSizeW(path, &ignored));
    if (data.empty() || !GetFileVersionInfoW(path, 0, static_cast<DWORD>(data.size()), data.data()))
        data.clear();
    return data;
}

// A value of the string block that the first translation entry names, as
// L"<missing>" when the entry or the value is not there.
std::wstring QueryString(std::vector<BYTE>& data, const wchar_t* name)
{
    const WORD* translation = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(const_cast<WORD**>(&translation)), &size) ||
        size < 2 * sizeof(WORD))
        return L"<missing>";
    wchar_t key[96];
    swprintf(key, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], name);
    const wchar_t* value = nullptr;
    if (!VerQueryValueW(data.data(), key, reinterpret_cast<void**>(const_cast<wchar_t**>(&value)),
                        &size) ||
        size == 0)
        return L"<missing>";
    return value;
}

TEST(VersionResource, EveryBinaryCarriesTheProjectVersion)
{
    const DWORD high = MAKELONG(TAVRIN_VERSION_MINOR, TAVRIN_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, TAVRIN_VERSION_PATCH);
    const std::wstring version = L"" TAVRIN_VERSION_STRING;
    for (const Binary& binary : kBinaries) {
        SCOPED_TRACE(binary.label);
        std::vector<BYTE> data = ReadVersionInfo(binary.path);
        ASSERT_FALSE(data.empty()) << "no version resource, error " << GetLastError();

        const VS_FIXEDFILEINFO* fixed = nullptr;
        UINT size = 0;
        ASSERT_TRUE(VerQueryValueW(data.data(), L"\\",
                                   reinterpret_cast<void**>(const_cast<VS_FIXEDFILEINFO**>(&fixed)),
                                   &size));
        ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), size);
        EXPECT_EQ(VS_FFI_SIGNATURE, fixed->dwSignature);
        EXPECT_EQ(high, fixed->dwFileVersionMS);
        EXPECT_EQ(low, fixed->dwFileVersionLS);
        EXPECT_EQ(high, fixed->dwProductVersionMS);
        EXPECT_EQ(low, fixed->dwProductVersionLS);
        EXPECT_EQ(binary.fileType, fixed->dwFileType);

        EXPECT_EQ(L"TavrinUpload", QueryString(data, L"ProductName"));
        EXPECT_EQ(version, QueryString(data, L"FileVersion"));
        EXPECT_EQ(version, QueryString(data, L"ProductVersion"));
        EXPECT_EQ(binary.originalName, QueryString(data, L"OriginalFilename"));
        EXPECT_EQ(L"Copyright (C) 2026 The TavrinUpload developers",
                  QueryString(data, L"LegalCopyright"));
        EXPECT_NE(L"<missing>", QueryString(data, L"FileDescription"));
    }
}

} // namespace
