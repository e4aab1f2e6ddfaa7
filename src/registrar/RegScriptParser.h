// The registry-script interpreter. A script is expanded (its %name%
// references replaced by the registrar's variables), then read as tokens and
// applied to a registry: in register mode keys are created and values
// written, keys marked ForceRemove cleared first; in unregister mode what the
// script names is removed, except keys marked NoRemove and keys that still
// hold subkeys the script does not name.
//
// Token reading and expansion live in RegScriptTokens.cpp, the walk over
// the entries in RegScriptParser.cpp.
#pragma once

#include "registrar/RegObject.h"
#include "registrar/RegistryAccess.h"
#include "util/Platform.h"

#include <cstddef>

class CRegScriptParser
{
public:
    static constexpr size_t kTokenSize = 4096;
    static constexpr size_t kVariableNameSize = 32;
    static constexpr size_t kValueNameSize = 260;
    static constexpr size_t kKeyNameSize = 260;
    static constexpr size_t kSubkeyNameSize = 256;
    // Blocks nested deeper than this are refused, so that a hostile script
    // cannot exhaust the stack; the library's own scripts nest four deep.
    static constexpr int kMaxBlockDepth = 64;

    // Neither is owned; both must outlive the parser.
    CRegScriptParser(const CRegObject& registrar, RegistryAccess& registry) noexcept
        : m_registrar(registrar), m_registry(registry)
    {}

    HRESULT RunScript(LPCWSTR text, bool doRegister);

    // Replaces %name% references in `text`; %% stands for one %.
    HRESULT ExpandVariables(LPCWSTR text, WideText* expanded) const;
    // Reads the next token at the cursor into `token` (of `size` characters,
    // terminator included; a token holds at most size - 2 characters).
    HRESULT ReadToken(LPWSTR token, size_t size);

    // Sets the text that ReadToken walks (not owned), for callers that read
    // tokens without running a script.
    void SetCursor(LPCWSTR text) noexcept { m_cursor = text; }
    LPCWSTR Cursor() const noexcept { return m_cursor; }

private:
    enum class Mode
    {
        kRegister,
        kUnregister,
    };
    // In unregister mode, whether the block's key is there to remove from
    // (kPresent), or could not be opened (kAbsent): then the block is only
    // read to its end, nothing under it is removed and its failures are
    // ignored.
    enum class BlockKey
    {
        kPresent,
        kAbsent,
    };
    // Whether a key entry may be removed: NoRemove marks one that stays.
    enum class Removal
    {
        kAllowed,
        kNoRemove,
    };
    // The block whose opening brace is in `token`, applied under `parent`
    // at nesting depth `depth` (1 for a root's block).
    HRESULT ProcessKeyBlock(LPWSTR token, RegKey parent, Mode mode, BlockKey blockKey, int depth);
    HRESULT UnregisterKeyEntry(LPWSTR token, RegKey parent, Removal removal, BlockKey blockKey,
                               int depth);
    HRESULT UnregisterValueEntry(RegKey parent, LPCWSTR valueName);
    HRESULT WriteValue(RegKey key, LPCWSTR valueName, LPWSTR token);
    HRESULT SkipValueAssignment(LPWSTR token);
    LONG DeleteKeyTree(RegKey parent, LPCWSTR name);
    void SkipWhitespace() noexcept;
    bool CopyUnit(LPWSTR token, size_t size, size_t* length, WCHAR unit) const noexcept;

    const CRegObject& m_registrar;
    RegistryAccess& m_registry;
    LPCWSTR m_cursor = nullptr;
};

// Name tests of the script language, all case-insensitive over the whole
// token.
bool LookupRootKey(LPCWSTR name, RegRoot* root) noexcept;
bool IsProtectedKeyName(LPCWSTR name) noexcept;
