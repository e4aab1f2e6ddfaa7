// A registry that starts empty and remembers, in the order they were made,
// the keys created and the values written through it. The registry-script
// interpreter and the type-library walk run against it; what it holds
// afterwards is what registration would have written, ready to be turned
// into installer rows.
#pragma once

#include "registrar/RegistryAccess.h"

#include <string>
#include <vector>

class RecordingRegistry final : public RegistryAccess
{
public:
    struct Value
    {
        std::wstring name; // empty: the key's default value
        DWORD type = 0;
        std::vector<BYTE> data;
    };
    struct Key
    {
        RegRoot root = RegRoot::ClassesRoot;
        std::wstring path; // below the root, segments joined by a backslash
        std::vector<Value> values;
        bool deleted = false;
    };

    RegKey Root(RegRoot root) override;
    LONG OpenKey(RegKey parent, LPCWSTR name, DWORD rights, RegKey* key) override;
    LONG CreateKey(RegKey parent, LPCWSTR name, RegKey* key) override;
    LONG SetValue(RegKey key, LPCWSTR name, DWORD type, const BYTE* data, DWORD size) override;
    LONG DeleteValue(RegKey key, LPCWSTR name) override;
    LONG DeleteKey(RegKey parent, LPCWSTR name) override;
    LONG EnumFirstSubkey(RegKey key, LPWSTR name, DWORD capacity) override;
    LONG CountSubkeys(RegKey key, DWORD* count) override;
    LONG CloseKey(RegKey key) override;

    // Creates every missing key of `path` below `root` and writes one string
    // value there; for the type library, whose registration is not a script.
    LONG WriteString(RegRoot root, const std::wstring& path, const std::wstring& name,
                     const std::wstring& text);

    // The keys in the order they were first created, deleted ones included
    // (marked).
    const std::vector<Key>& Keys() const { return m_keys; }
    // Whether a live key lies below the key at `index`.
    bool HasSubkeys(size_t index) const;

private:
    // An open key: a root (index kRootHandle) or an index into m_keys.
    struct Handle
    {
        RegRoot root = RegRoot::ClassesRoot;
        size_t index = 0;
        bool open = false;
    };
    static constexpr size_t kRootHandle = static_cast<size_t>(-1);

    Handle* Lookup(RegKey key);
    RegKey NewHandle(RegRoot root, size_t index);
    // The path of `name` below the open key `parent`.
    std::wstring ChildPath(const Handle& parent, LPCWSTR name) const;
    // The index of the live key at `path`, or kRootHandle when there is none.
    size_t Find(RegRoot root, const std::wstring& path) const;
    std::vector<size_t> Children(RegRoot root, const std::wstring& path) const;

    std::vector<Key> m_keys;
    std::vector<Handle> m_handles;
};

// Compares two names as the registry does, without regard to case.
bool SameRegistryName(const std::wstring& a, const std::wstring& b);
