// The version resource of the DLL and both programs, read through the platform's version API: the
// fixed numbers and the strings of the named translation carry the project's one version.
#include "TavrinVersion.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace {

const struct
{
    const char* label;
    const wchar_t* path;
    const wchar_t* originalName;
    DWORD fileType;
} kBinaries[] = {
    {"DLL", L"" TAVRIN_DLL_PATH, L"TavrinUpload.dll", VFT_DLL},
    {"web host", L"" TAVRIN_ASP_PATH, L"tavrin-asp.exe", VFT_APP},
    {"upload tool", L"" TAVRIN_UPLOAD_TOOL_PATH, L"tavrin-upload.exe", VFT_APP},
};

// The value at a path of the resource, and its size (0 when it is not there).
template <typename T> const T* Query(const std::vector<BYTE>& data, const wchar_t* path, UINT& size)
{
    void* value = nullptr;
    if (!VerQueryValueW(data.data(), path, &value, &size))
        size = 0;
    return static_cast<const T*>(value);
}

// A value of the string block that the first translation entry names; L"<missing>" when absent.
std::wstring QueryString(const std::vector<BYTE>& data, const wchar_t* name)
{
    UINT size = 0;
    const WORD* translation = Query<WORD>(data, L"\\VarFileInfo\\Translation", size);
    if (size < 2 * sizeof(WORD))
        return L"<missing>";
    wchar_t key[96];
    swprintf(key, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], name);
    const wchar_t* value = Query<wchar_t>(data, key, size);
    return size == 0 ? L"<missing>" : value;
}

TEST(VersionResource, EveryBinaryCarriesTheProjectVersion)
{
    const DWORD high = MAKELONG(TAVRIN_VERSION_MINOR, TAVRIN_VERSION_MAJOR);
    const DWORD low = MAKELONG(0, TAVRIN_VERSION_PATCH);
    const std::wstring version = L"" TAVRIN_VERSION_STRING;
    for (const auto& binary : kBinaries) {
        SCOPED_TRACE(binary.label);
        DWORD ignored = 0;
        std::vector<BYTE> data(GetFileVersionInfoSizeW(binary.path, &ignored));
        ASSERT_FALSE(data.empty()) << "no version resource, error " << GetLastError();
        ASSERT_TRUE(
            GetFileVersionInfoW(binary.path, 0, static_cast<DWORD>(data.size()), data.data()));
        UINT size = 0;
        const VS_FIXEDFILEINFO* fixed = Query<VS_FIXEDFILEINFO>(data, L"\\", size);
        ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), size);
        EXPECT_EQ(std::make_tuple(DWORD{VS_FFI_SIGNATURE}, high, low, high, low, binary.fileType),
                  std::make_tuple(fixed->dwSignature, fixed->dwFileVersionMS,
                                  fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                                  fixed->dwProductVersionLS, fixed->dwFileType));

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
