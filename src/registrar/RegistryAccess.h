// The registry as the script interpreter sees it: keys opened under a parent
// by name, values written and deleted, keys without subkeys deleted. Every
// operation returns a platform error number (0 success, 2 the key or value
// does not exist). Win32Registry maps it onto the Win32 registry functions;
// the tests and the fuzzer run scripts against one kept in memory.
#pragma once

#include "util/Platform.h"

// An opened key. Root keys are handed out by Root() and are never closed by
// their users; every other key is closed with CloseKey.
struct RegKeyOpaque;
using RegKey = RegKeyOpaque*;

enum class RegRoot
{
    ClassesRoot,
    CurrentUser,
    LocalMachine,
    Users,
    PerformanceData,
    DynData,
    CurrentConfig,
};

// Access rights asked for when a key is opened.
enum RegRights : DWORD
{
    kRegRead = 1,
    kRegWrite = 2,
    kRegReadWrite = kRegRead | kRegWrite,
};

// Value types written by scripts, with the registry's own numbers.
enum RegValueType : DWORD
{
    kRegString = 1,
    kRegBinary = 3,
    kRegDword = 4,
    kRegMultiString = 7,
};

constexpr LONG kRegNotFound = 2;
constexpr LONG kRegAccessDenied = 5;
constexpr LONG kRegOutOfMemory = 14;
constexpr LONG kRegNoMoreItems = 259;

class RegistryAccess
{
public:
    virtual ~RegistryAccess() = default;

    virtual RegKey Root(RegRoot root) = 0;
    // A null name opens the parent itself once more.
    virtual LONG OpenKey(RegKey parent, LPCWSTR name, DWORD rights, RegKey* key) = 0;
    // Opens the key if it exists, else creates it; read and write rights.
    virtual LONG CreateKey(RegKey parent, LPCWSTR name, RegKey* key) = 0;
    // A null name is the key's default value.
    virtual LONG SetValue(RegKey key, LPCWSTR name, DWORD type, const BYTE* data, DWORD size) = 0;
    virtual LONG DeleteValue(RegKey key, LPCWSTR name) = 0;
    // Fails for a key that still has subkeys.
    virtual LONG DeleteKey(RegKey parent, LPCWSTR name) = 0;
    // The name of subkey number 0, in a buffer of `capacity` characters.
    virtual LONG EnumFirstSubkey(RegKey key, LPWSTR name, DWORD capacity) = 0;
    virtual LONG CountSubkeys(RegKey key, DWORD* count) = 0;
    virtual LONG CloseKey(RegKey key) = 0;
};

// A platform error number as a status: 0 and negative numbers stay, a
// positive number e becomes 0x80070000 | (e & 0xFFFF).
inline HRESULT StatusFromError(LONG error)
{
    if (error <= 0)
        return static_cast<HRESULT>(error);
    return static_cast<HRESULT>(0x80070000u | (static_cast<DWORD>(error) & 0xFFFFu));
}

// Owns one opened key; closes it when it goes unless Close() was called.
class RegKeyRef
{
public:
    explicit RegKeyRef(RegistryAccess& registry) noexcept : m_registry(registry) {}
    ~RegKeyRef() { Reset(); }
    RegKeyRef(const RegKeyRef&) = delete;
    RegKeyRef& operator=(const RegKeyRef&) = delete;

    RegKey Get() const noexcept { return m_key; }
    RegKey* Put() noexcept
    {
        Reset();
        return &m_key;
    }
    LONG Close() noexcept
    {
        RegKey key = m_key;
        m_key = nullptr;
        return key ? m_registry.CloseKey(key) : 0;
    }
    void Reset() noexcept { Close(); }

private:
    RegistryAccess& m_registry;
    RegKey m_key = nullptr;
};
