// The registry interface of the script interpreter on the Win32 registry.
// Root keys are the predefined HKEY values; other keys are HKEYs opened by
// RegOpenKeyExW or RegCreateKeyExW.
#pragma once

#include "registrar/RegistryAccess.h"

class Win32Registry final : public RegistryAccess
{
public:
    RegKey Root(RegRoot root) override;
    LONG OpenKey(RegKey parent, LPCWSTR name, DWORD rights, RegKey* key) override;
    LONG CreateKey(RegKey parent, LPCWSTR name, RegKey* key) override;
    LONG SetValue(RegKey key, LPCWSTR name, DWORD type, const BYTE* data, DWORD size) override;
    LONG DeleteValue(RegKey key, LPCWSTR name) override;
    LONG DeleteKey(RegKey parent, LPCWSTR name) override;
    LONG EnumFirstSubkey(RegKey key, LPWSTR name, DWORD capacity) override;
    LONG CountSubkeys(RegKey key, DWORD* count) override;
    LONG CloseKey(RegKey key) override;
};
