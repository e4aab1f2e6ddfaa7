// Win32 registry calls behind the interpreter's registry interface.
#include "registrar/Win32Registry.h"

namespace {

HKEY H(RegKey key)
{
    return reinterpret_cast<HKEY>(key);
}

REGSAM Sam(DWORD rights)
{
    REGSAM sam = 0;
    if (rights & kRegRead)
        sam |= KEY_READ;
    if (rights & kRegWrite)
        sam |= KEY_WRITE;
    return sam;
}

} // namespace

RegKey Win32Registry::Root(RegRoot root)
{
    switch (root) {
    case RegRoot::ClassesRoot:
        return reinterpret_cast<RegKey>(HKEY_CLASSES_ROOT);
    case RegRoot::CurrentUser:
        return reinterpret_cast<RegKey>(HKEY_CURRENT_USER);
    case RegRoot::LocalMachine:
        return reinterpret_cast<RegKey>(HKEY_LOCAL_MACHINE);
    case RegRoot::Users:
        return reinterpret_cast<RegKey>(HKEY_USERS);
    case RegRoot::PerformanceData:
        return reinterpret_cast<RegKey>(HKEY_PERFORMANCE_DATA);
    case RegRoot::DynData:
        return reinterpret_cast<RegKey>(HKEY_DYN_DATA);
    case RegRoot::CurrentConfig:
        return reinterpret_cast<RegKey>(HKEY_CURRENT_CONFIG);
    }
    return nullptr;
}

LONG Win32Registry::OpenKey(RegKey parent, LPCWSTR name, DWORD rights, RegKey* key)
{
    HKEY opened = nullptr;
    const LONG error = RegOpenKeyExW(H(parent), name, 0, Sam(rights), &opened);
    *key = error == ERROR_SUCCESS ? reinterpret_cast<RegKey>(opened) : nullptr;
    return error;
}

LONG Win32Registry::CreateKey(RegKey parent, LPCWSTR name, RegKey* key)
{
    HKEY created = nullptr;
    const LONG error = RegCreateKeyExW(H(parent), name, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                       KEY_READ | KEY_WRITE, nullptr, &created, nullptr);
    *key = error == ERROR_SUCCESS ? reinterpret_cast<RegKey>(created) : nullptr;
    return error;
}

LONG Win32Registry::SetValue(RegKey key, LPCWSTR name, DWORD type, const BYTE* data, DWORD size)
{
    return RegSetValueExW(H(key), name, 0, type, data, size);
}

LONG Win32Registry::DeleteValue(RegKey key, LPCWSTR name)
{
    return RegDeleteValueW(H(key), name);
}

LONG Win32Registry::DeleteKey(RegKey parent, LPCWSTR name)
{
    return RegDeleteKeyW(H(parent), name);
}

LONG Win32Registry::EnumFirstSubkey(RegKey key, LPWSTR name, DWORD capacity)
{
    DWORD length = capacity;
    return RegEnumKeyExW(H(key), 0, name, &length, nullptr, nullptr, nullptr, nullptr);
}

LONG Win32Registry::CountSubkeys(RegKey key, DWORD* count)
{
    return RegQueryInfoKeyW(H(key), nullptr, nullptr, nullptr, count, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr);
}

LONG Win32Registry::CloseKey(RegKey key)
{
    return RegCloseKey(H(key));
}
