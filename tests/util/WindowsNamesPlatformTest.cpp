// The shared device-name rule against the platform: every table name that
// ntdll's RtlIsDosDeviceName_U, or GetFullPathNameW (which turns a device
// into "\\.\NAME"), calls a device must be one to the rule as well. The
// rule may call more names devices than the platform does (it covers
// versions of Windows other than the one under test), never fewer.
#include "util/WindowsNames.h"

#include "WindowsNamesTable.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

using IsDosDeviceNameCall = ULONG(WINAPI*)(PCWSTR);

std::wstring Wide(const std::u16string& text)
{
    return std::wstring(text.begin(), text.end());
}

// GetFullPathNameW of a device in a folder gives "\\.\" and the device.
bool FullPathIsDevice(const std::wstring& name)
{
    const std::wstring path = L"C:\\folder\\" + name;
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH && std::wstring(full, length).rfind(L"\\\\.\\", 0) == 0;
}

TEST(WindowsNamesPlatform, EveryNameThePlatformCallsADeviceIsOneToTheRule)
{
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    ASSERT_NE(nullptr, ntdll) << "ntdll.dll is loaded in every process";
    const auto isDosDeviceName = reinterpret_cast<IsDosDeviceNameCall>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlIsDosDeviceName_U")));
    ASSERT_NE(nullptr, isDosDeviceName) << "ntdll exports RtlIsDosDeviceName_U";
    int platformDevices = 0;
    for (const NameRow& row : kNameRows) {
        if (row.utf8.empty() || row.utf8.find('\0') != std::string::npos)
            continue;
        SCOPED_TRACE(row.utf8);
        const std::wstring name = Wide(Utf16FromUtf8(row.utf8));
        const bool ntdllDevice = isDosDeviceName(name.c_str()) != 0;
        const bool fullPathDevice = FullPathIsDevice(name);
        if (ntdllDevice || fullPathDevice)
            ++platformDevices;
        const bool ruleDevice = IsDeviceName(name);
        if (ntdllDevice) {
            EXPECT_TRUE(ruleDevice) << "RtlIsDosDeviceName_U calls it a device; the rule does not";
        }
        if (fullPathDevice) {
            EXPECT_TRUE(ruleDevice) << "GetFullPathNameW maps it to \\\\.\\; the rule does not";
        }
    }
    // CON, NUL, COM1 and the like are devices on every version: a platform
    // that names none of them answered nothing, and the test proved nothing.
    EXPECT_GE(platformDevices, 10) << "names the platform called devices";
}

} // namespace
