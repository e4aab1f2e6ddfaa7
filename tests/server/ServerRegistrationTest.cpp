#include "server/ServerRegistration.h"
#include "TavrinUpload_h.h"
#include "registrar/RegObject.h"
#include "server/ObjectMap.h"
#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/ModuleInstance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t kTestKey[] = L"Software\\TavrinUploadTest";

std::wstring ModuleFile()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(ModuleInstance(), path, MAX_PATH);
    return path;
}

// The string value, or "<none>".
std::wstring ReadString(HKEY root, const wchar_t* key, const wchar_t* name)
{
    wchar_t data[1024];
    DWORD size = sizeof data;
    DWORD type = 0;
    if (RegGetValueW(root, key, name, RRF_RT_ANY, &type, data, &size) != ERROR_SUCCESS)
        return L"<none>";
    return type == REG_SZ ? std::wstring(data) : L"<type>";
}

bool KeyExists(HKEY root, const wchar_t* key)
{
    HKEY opened;
    if (RegOpenKeyExW(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

TEST(RunScriptResource, ByNameRunsBothModesWithTheModuleVariables)
{
    ASSERT_EQ(S_OK, UpdateRegistryFromScript(L"TESTSCRIPT", true));
    EXPECT_EQ(ModuleFile(), ReadString(HKEY_CURRENT_USER, kTestKey, nullptr));
    EXPECT_EQ(ModuleFile(), ReadString(HKEY_CURRENT_USER, kTestKey, L"Raw"));
    EXPECT_EQ(L"[]", ReadString(HKEY_CURRENT_USER, kTestKey, L"AppId"));
    BYTE bytes[4] = {};
    DWORD size = sizeof bytes;
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"Bytes", RRF_RT_REG_BINARY,
                                          nullptr, bytes, &size));
    EXPECT_EQ(std::vector<BYTE>({0x0A, 0x1B}), std::vector<BYTE>(bytes, bytes + size));

    ASSERT_EQ(S_OK, UpdateRegistryFromScript(L"TESTSCRIPT", false));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTestKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, L"Software"));
}

TEST(RunScriptResource, FailuresCarryTheirStatus)
{
    // Other tests may leave the built library registered in the prefix; a
    // failed run must leave that as it was.
    const bool registered = KeyExists(HKEY_CLASSES_ROOT, L"TavrinUpload.Upload.1");
    CRegObject registrar;
    const std::wstring file = ModuleFile();
    EXPECT_EQ(E_INVALIDARG, registrar.RunScriptResource(file.c_str(), nullptr, L"REGISTRY", true));
    EXPECT_EQ(E_INVALIDARG,
              registrar.RunScriptResource(file.c_str(), L"TESTSCRIPT", nullptr, true));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_NAME_NOT_FOUND),
              registrar.RunScriptResource(file.c_str(), WORD(999), L"REGISTRY", true));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_RESOURCE_TYPE_NOT_FOUND),
              registrar.RunScriptResource(file.c_str(), WORD(101), L"NOSUCHTYPE", true));
    EXPECT_TRUE(FAILED(
        registrar.RunScriptResource(L"C:\\no\\such\\file.dll", WORD(101), L"REGISTRY", true)));
    const HRESULT empty =
        registrar.RunScriptResource(file.c_str(), L"EMPTYSCRIPT", L"REGISTRY", true);
    EXPECT_TRUE(FAILED(empty)) << "an empty resource is not a successful run";
    EXPECT_EQ(DISP_E_EXCEPTION,
              registrar.RunScriptResource(file.c_str(), WORD(101), L"REGISTRY", true))
        << "no variables set: %MODULE% is unknown";
    EXPECT_EQ(registered, KeyExists(HKEY_CLASSES_ROOT, L"TavrinUpload.Upload.1"));
}

TEST(ModuleTypeLib, MissingLibraryFailsAndClearsOutputs)
{
    BSTR path = reinterpret_cast<BSTR>(1);
    ITypeLib* typeLib = reinterpret_cast<ITypeLib*>(1);
    EXPECT_TRUE(FAILED(LoadModuleTypeLib(GetModuleHandleW(L"kernel32.dll"), &path, &typeLib)))
        << "kernel32 has no type library and no kernel32.tlb beside it";
    EXPECT_EQ(nullptr, path);
    EXPECT_EQ(nullptr, typeLib);
    EXPECT_EQ(E_POINTER, LoadModuleTypeLib(ModuleInstance(), nullptr, &typeLib));
    EXPECT_EQ(E_POINTER, LoadModuleTypeLib(ModuleInstance(), &path, nullptr));
}

TEST(ModuleTypeLib, FallsBackToTheTlbBesideTheFile)
{
    // A copy of a DLL without a type library, with the library beside it
    // under the same name.
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    const std::wstring base = std::wstring(dir) + L"tavrin_tlb_fallback";
    const std::wstring dll = base + L".dll", tlb = base + L".tlb";
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\version.dll").c_str(), dll.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(ModuleFile().c_str(), tlb.c_str(), FALSE));
    HMODULE module = LoadLibraryExW(dll.c_str(), nullptr, 0);
    ASSERT_NE(nullptr, module);
    BstrHolder path;
    ComPtr<ITypeLib> typeLib;
    const HRESULT hr =
        LoadModuleTypeLib(module, path.ReleaseAndGetAddressOf(), typeLib.ReleaseAndGetAddressOf());
    typeLib.Reset();
    FreeLibrary(module);
    DeleteFileW(dll.c_str());
    DeleteFileW(tlb.c_str());
    ASSERT_EQ(S_OK, hr);
    EXPECT_EQ(0, lstrcmpiW(tlb.c_str(), path.Get()));
}

// Registration functions that record each call as "<tag><+|->" and fail
// where a test says so.
std::string g_calls;
char g_failingTag = 0;

template <char tag> HRESULT WINAPI RecordRegistration(BOOL doRegister)
{
    g_calls += tag;
    g_calls += doRegister ? '+' : '-';
    return tag == g_failingTag ? E_ACCESSDENIED : S_OK;
}

#define RECORDING_ENTRY(tag)                                                                       \
    {&CLSID_Upload, &RecordRegistration<tag>, nullptr,      nullptr, nullptr, 0,                   \
     nullptr,       &NoClassCategories,       &NoObjectMain},

BEGIN_OBJECT_MAP(g_recordingMap)
RECORDING_ENTRY('A')
RECORDING_ENTRY('B')
RECORDING_ENTRY('C')
END_OBJECT_MAP()

// Each walk stops at a failing class before the type library step, so the
// prefix's registry is left untouched.
TEST(ServerRegistration, WalksTheMapInOrderAndStopsAtTheFirstFailure)
{
    struct Row
    {
        HRESULT (*walk)(ObjectMapEntry*);
        char failing;
        const char* calls;
    };
    const Row rows[] = {
        {RegisterClassesAndTypeLib, 'A', "A+"},     {RegisterClassesAndTypeLib, 'B', "A+B+"},
        {RegisterClassesAndTypeLib, 'C', "A+B+C+"}, {UnregisterClassesAndTypeLib, 'A', "A-"},
        {UnregisterClassesAndTypeLib, 'B', "A-B-"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.calls);
        g_calls.clear();
        g_failingTag = row.failing;
        EXPECT_EQ(E_ACCESSDENIED, row.walk(g_recordingMap));
        EXPECT_EQ(row.calls, g_calls);
    }
    g_failingTag = 0;
}

} // namespace
