// The walk over a registry script's entries: root blocks, key entries with
// their default values and nested blocks, value entries, and the keywords
// ForceRemove, Delete, NoRemove and Val. Registration writes at once and
// keeps no transaction; the one undo is that a root block that fails during
// registration is walked again in unregister mode from its start.
#include "registrar/RegScriptParser.h"

#include "util/ErrorMacros.h"

#include <new>
#include <vector>

namespace {

struct RootName
{
    const WCHAR* name;
    RegRoot root;
};

const RootName kRootNames[] = {
    {TU_WIDE("HKCR"), RegRoot::ClassesRoot},
    {TU_WIDE("HKCU"), RegRoot::CurrentUser},
    {TU_WIDE("HKLM"), RegRoot::LocalMachine},
    {TU_WIDE("HKU"), RegRoot::Users},
    {TU_WIDE("HKPD"), RegRoot::PerformanceData},
    {TU_WIDE("HKDD"), RegRoot::DynData},
    {TU_WIDE("HKCC"), RegRoot::CurrentConfig},
    {TU_WIDE("HKEY_CLASSES_ROOT"), RegRoot::ClassesRoot},
    {TU_WIDE("HKEY_CURRENT_USER"), RegRoot::CurrentUser},
    {TU_WIDE("HKEY_LOCAL_MACHINE"), RegRoot::LocalMachine},
    {TU_WIDE("HKEY_USERS"), RegRoot::Users},
    {TU_WIDE("HKEY_PERFORMANCE_DATA"), RegRoot::PerformanceData},
    {TU_WIDE("HKEY_DYN_DATA"), RegRoot::DynData},
    {TU_WIDE("HKEY_CURRENT_CONFIG"), RegRoot::CurrentConfig},
};

// Keys that ForceRemove and Delete never clear during registration.
const WCHAR* const kProtectedNames[] = {
    TU_WIDE("AppID"),    TU_WIDE("CLSID"),     TU_WIDE("Component Categories"),
    TU_WIDE("FileType"), TU_WIDE("Interface"), TU_WIDE("Hardware"),
    TU_WIDE("Mime"),     TU_WIDE("SAM"),       TU_WIDE("SECURITY"),
    TU_WIDE("SYSTEM"),   TU_WIDE("Software"),  TU_WIDE("TypeLib"),
};

bool Is(LPCWSTR token, const WCHAR* word) noexcept
{
    return lstrcmpiW(token, word) == 0;
}

bool IsExactlyOpenBrace(LPCWSTR token) noexcept
{
    return token[0] == u'{' && token[1] == 0;
}

// A key name names exactly one level below its parent: no backslash, and
// not empty, since the registry reads an empty name as the parent itself
// (ForceRemove '' would clear the parent, and unregistering '' would delete
// a parent marked NoRemove).
bool IsBadKeyName(LPCWSTR name) noexcept
{
    if (!*name)
        return true;
    for (; *name; ++name) {
        if (*name == u'\\')
            return true;
    }
    return false;
}

int HexDigit(WCHAR c) noexcept
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return 0;
}

// Builds the multi-string list of an "M" value: backslash followed by 0
// separates strings. The list ends at the terminator of its first empty
// string, so an empty string inside the text ends the list there.
std::vector<WCHAR> BuildMultiString(LPCWSTR text)
{
    std::vector<WCHAR> list;
    for (LPCWSTR p = text; *p; ++p) {
        if (p[0] == u'\\' && p[1] == u'0') {
            list.push_back(0);
            ++p;
        } else {
            list.push_back(*p);
        }
    }
    list.push_back(0);
    list.push_back(0);
    size_t start = 0;
    while (list[start] != 0) {
        while (list[start] != 0)
            ++start;
        ++start;
    }
    list.resize(start + 1);
    return list;
}

} // namespace

bool LookupRootKey(LPCWSTR name, RegRoot* root) noexcept
{
    for (const RootName& entry : kRootNames) {
        if (Is(name, entry.name)) {
            *root = entry.root;
            return true;
        }
    }
    return false;
}

bool IsProtectedKeyName(LPCWSTR name) noexcept
{
    for (const WCHAR* protectedName : kProtectedNames) {
        if (Is(name, protectedName))
            return true;
    }
    return false;
}

HRESULT CRegScriptParser::RunScript(LPCWSTR text, bool doRegister)
{
    WideText expanded;
    RETURN_IF_FAILED(ExpandVariables(text, &expanded));
    m_cursor = expanded.get();
    WCHAR token[kTokenSize];
    HRESULT hr = S_OK;
    while (*m_cursor) {
        hr = ReadToken(token, kTokenSize);
        if (FAILED(hr))
            break;
        RegRoot rootName;
        if (!LookupRootKey(token, &rootName)) {
            hr = DISP_E_EXCEPTION;
            break;
        }
        RegKey root = m_registry.Root(rootName);
        hr = ReadToken(token, kTokenSize);
        if (FAILED(hr))
            break;
        if (token[0] != u'{') {
            hr = DISP_E_EXCEPTION;
            break;
        }
        if (doRegister) {
            LPCWSTR blockStart = m_cursor;
            hr = ProcessKeyBlock(token, root, Mode::kRegister, BlockKey::kPresent, 1);
            if (FAILED(hr)) {
                // Remove again what this block wrote.
                m_cursor = blockStart;
                (void)ProcessKeyBlock(token, root, Mode::kUnregister, BlockKey::kPresent, 1);
                break;
            }
        } else {
            hr = ProcessKeyBlock(token, root, Mode::kUnregister, BlockKey::kPresent, 1);
            if (FAILED(hr))
                break;
        }
        SkipWhitespace();
    }
    m_cursor = nullptr;
    return hr;
}

HRESULT CRegScriptParser::ProcessKeyBlock(LPWSTR token, RegKey parent, Mode mode, BlockKey blockKey,
                                          int depth)
{
    const bool doRegister = mode == Mode::kRegister;
    if (depth > kMaxBlockDepth)
        return DISP_E_EXCEPTION;
    RegKeyRef current(m_registry);
    RETURN_IF_FAILED(ReadToken(token, kTokenSize));
    while (token[0] != u'}') {
        Removal removal = Removal::kAllowed;
        if (Is(token, TU_WIDE("ForceRemove")) || Is(token, TU_WIDE("Delete"))) {
            const bool isDelete = Is(token, TU_WIDE("Delete"));
            RETURN_IF_FAILED(ReadToken(token, kTokenSize));
            if (doRegister) {
                RETURN_HR_IF(DISP_E_EXCEPTION, IsBadKeyName(token));
                if (!IsProtectedKeyName(token))
                    (void)DeleteKeyTree(parent, token);
                if (isDelete) {
                    RETURN_IF_FAILED(ReadToken(token, kTokenSize));
                    RETURN_IF_FAILED(SkipValueAssignment(token));
                    // A nested block may only follow a key entry.
                    RETURN_HR_IF(DISP_E_EXCEPTION, IsExactlyOpenBrace(token));
                    continue;
                }
            }
        }
        if (Is(token, TU_WIDE("NoRemove"))) {
            removal = Removal::kNoRemove;
            RETURN_IF_FAILED(ReadToken(token, kTokenSize));
        }
        if (Is(token, TU_WIDE("Val"))) {
            WCHAR valueName[kValueNameSize];
            RETURN_IF_FAILED(ReadToken(valueName, kValueNameSize));
            RETURN_IF_FAILED(ReadToken(token, kTokenSize));
            RETURN_HR_IF(DISP_E_EXCEPTION, token[0] != u'=');
            if (doRegister) {
                RETURN_IF_FAILED(WriteValue(parent, valueName, token));
            } else {
                if (blockKey == BlockKey::kPresent && removal == Removal::kAllowed)
                    RETURN_IF_FAILED(UnregisterValueEntry(parent, valueName));
                RETURN_IF_FAILED(SkipValueAssignment(token));
            }
            // A nested block may only follow a key entry.
            RETURN_HR_IF(DISP_E_EXCEPTION, IsExactlyOpenBrace(token));
            continue;
        }
        RETURN_HR_IF(DISP_E_EXCEPTION, IsBadKeyName(token));
        if (!doRegister) {
            RETURN_IF_FAILED(UnregisterKeyEntry(token, parent, removal, blockKey, depth));
            continue;
        }
        if (m_registry.OpenKey(parent, token, kRegReadWrite, current.Put()) != 0 &&
            m_registry.OpenKey(parent, token, kRegRead, current.Put()) != 0) {
            const LONG error = m_registry.CreateKey(parent, token, current.Put());
            if (error != 0)
                return StatusFromError(error);
        }
        RETURN_IF_FAILED(ReadToken(token, kTokenSize));
        if (token[0] == u'=')
            RETURN_IF_FAILED(WriteValue(current.Get(), nullptr, token));
        if (IsExactlyOpenBrace(token)) {
            RETURN_IF_FAILED(ProcessKeyBlock(token, current.Get(), Mode::kRegister,
                                             BlockKey::kPresent, depth + 1));
            RETURN_IF_FAILED(ReadToken(token, kTokenSize));
        }
    }
    return S_OK;
}

// Deletes the named value of `parent`; the caller has read the `=`.
HRESULT CRegScriptParser::UnregisterValueEntry(RegKey parent, LPCWSTR valueName)
{
    RegKeyRef writable(m_registry);
    LONG error = m_registry.OpenKey(parent, nullptr, kRegWrite, writable.Put());
    if (error != 0)
        return StatusFromError(error);
    error = m_registry.DeleteValue(writable.Get(), valueName);
    if (error != 0 && error != kRegNotFound)
        return StatusFromError(error);
    return S_OK;
}

// Unregisters one key entry whose name is in `token`: walks its block, then
// deletes the key unless it is marked NoRemove or still has subkeys.
HRESULT CRegScriptParser::UnregisterKeyEntry(LPWSTR token, RegKey parent, Removal removal,
                                             BlockKey blockKey, int depth)
{
    RegKeyRef key(m_registry);
    const LONG openError = blockKey == BlockKey::kAbsent
                               ? kRegNotFound
                               : m_registry.OpenKey(parent, token, kRegRead, key.Put());
    const BlockKey entryKey = openError == 0 ? BlockKey::kPresent : BlockKey::kAbsent;
    WCHAR keyName[kKeyNameSize];
    size_t length = 0;
    for (; token[length] && length < kKeyNameSize - 1; ++length)
        keyName[length] = token[length];
    keyName[length] = 0;

    RETURN_IF_FAILED(ReadToken(token, kTokenSize));
    RETURN_IF_FAILED(SkipValueAssignment(token));
    if (IsExactlyOpenBrace(token)) {
        const HRESULT hr =
            ProcessKeyBlock(token, key.Get(), Mode::kUnregister, entryKey, depth + 1);
        if (FAILED(hr) && entryKey == BlockKey::kPresent)
            return hr;
        RETURN_IF_FAILED(ReadToken(token, kTokenSize));
    }
    if (openError == kRegNotFound)
        return S_OK;
    if (openError != 0)
        return StatusFromError(openError);

    DWORD subkeys = 0;
    const bool hasSubkeys = m_registry.CountSubkeys(key.Get(), &subkeys) == 0 && subkeys > 0;
    const LONG closeError = key.Close();
    if (closeError != 0)
        return StatusFromError(closeError);
    if (removal == Removal::kAllowed && !hasSubkeys) {
        const LONG error = m_registry.DeleteKey(parent, keyName);
        if (error != 0)
            return StatusFromError(error);
    }
    return S_OK;
}

HRESULT CRegScriptParser::WriteValue(RegKey key, LPCWSTR valueName, LPWSTR token)
{
    RETURN_IF_FAILED(ReadToken(token, kTokenSize));
    const WCHAR typeLetter =
        token[0] >= u'a' && token[0] <= u'z' ? static_cast<WCHAR>(token[0] - 32) : token[0];
    if (token[0] == 0 || token[1] != 0 ||
        (typeLetter != u'S' && typeLetter != u'M' && typeLetter != u'D' && typeLetter != u'B'))
        return DISP_E_EXCEPTION;
    SkipWhitespace();
    WCHAR value[kTokenSize];
    RETURN_IF_FAILED(ReadToken(value, kTokenSize));

    LONG error = 0;
    const DWORD length = static_cast<DWORD>(lstrlenW(value));
    switch (typeLetter) {
    case u'S':
        error =
            m_registry.SetValue(key, valueName, kRegString, reinterpret_cast<const BYTE*>(value),
                                (length + 1) * sizeof(WCHAR));
        break;
    case u'M': {
        std::vector<WCHAR> list;
        try {
            list = BuildMultiString(value);
        } catch (const std::bad_alloc&) {
            return StatusFromError(kRegOutOfMemory);
        }
        error = m_registry.SetValue(key, valueName, kRegMultiString,
                                    reinterpret_cast<const BYTE*>(list.data()),
                                    static_cast<DWORD>(list.size() * sizeof(WCHAR)));
        break;
    }
    case u'D': {
        // An unconvertible number is not an error of the script; it is
        // written as 0.
        ULONG number = 0;
        if (FAILED(VarUI4FromStr(value, 0, 0, &number)))
            number = 0;
        const DWORD data = number;
        error = m_registry.SetValue(key, valueName, kRegDword, reinterpret_cast<const BYTE*>(&data),
                                    sizeof data);
        break;
    }
    default: {
        if (length % 2 != 0)
            return E_FAIL;
        std::vector<BYTE> bytes;
        try {
            bytes.assign(length / 2, 0);
        } catch (const std::bad_alloc&) {
            return E_FAIL;
        }
        for (DWORD i = 0; i < length; ++i) {
            const int digit = HexDigit(value[i]);
            bytes[i / 2] |= static_cast<BYTE>(i % 2 == 0 ? digit << 4 : digit);
        }
        error = m_registry.SetValue(key, valueName, kRegBinary, bytes.data(),
                                    static_cast<DWORD>(bytes.size()));
        break;
    }
    }
    if (error != 0)
        return StatusFromError(error);
    return ReadToken(token, kTokenSize);
}

HRESULT CRegScriptParser::SkipValueAssignment(LPWSTR token)
{
    if (token[0] != u'=')
        return S_OK;
    RETURN_IF_FAILED(ReadToken(token, kTokenSize));
    SkipWhitespace();
    WCHAR value[kTokenSize];
    RETURN_IF_FAILED(ReadToken(value, kTokenSize));
    return ReadToken(token, kTokenSize);
}

LONG CRegScriptParser::DeleteKeyTree(RegKey parent, LPCWSTR name)
{
    RegKeyRef key(m_registry);
    LONG error = m_registry.OpenKey(parent, name, kRegReadWrite, key.Put());
    if (error != 0)
        return error;
    WCHAR subkey[kSubkeyNameSize];
    while (m_registry.EnumFirstSubkey(key.Get(), subkey, kSubkeyNameSize) == 0) {
        error = DeleteKeyTree(key.Get(), subkey);
        if (error != 0)
            return error;
    }
    key.Close();
    return m_registry.DeleteKey(parent, name);
}
