// The registrar: the object that a registration call creates on its stack,
// fills with substitution variables (the module path, for one) and uses to
// run one registry script. CVariableMap holds those variables; lookups are
// case-insensitive and the first entry of a name wins, so a name added
// twice keeps its first value.
#pragma once

#include "util/Platform.h"

#include <cstddef>
#include <memory>
#include <vector>

struct IRegistrarBase : public IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE AddVariable(LPCOLESTR name, LPCOLESTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE ClearVariables() = 0;
};

// Owned wide text allocated with malloc.
struct WideTextFree
{
    void operator()(WCHAR* text) const noexcept;
};
using WideText = std::unique_ptr<WCHAR, WideTextFree>;

// Returns a malloc'ed copy of zero-terminated text, or null without memory.
WideText CopyWideText(LPCWSTR text) noexcept;

class CVariableMap
{
public:
    // Appends copies of both; never replaces an entry of the same name.
    HRESULT Add(LPCWSTR name, LPCWSTR value) noexcept;
    // The value of the first entry whose name equals `name` ignoring case,
    // or null. Points into the map; valid until the map is cleared.
    LPCWSTR Lookup(LPCWSTR name) const noexcept;
    void Clear() noexcept;
    size_t Count() const noexcept { return m_names.size(); }

private:
    std::vector<WideText> m_names;
    std::vector<WideText> m_values;
};

class CRegObject : public IRegistrarBase
{
public:
    CRegObject() = default;
    virtual ~CRegObject();
    CRegObject(const CRegObject&) = delete;
    CRegObject& operator=(const CRegObject&) = delete;

    // The registrar lives on its creator's stack: it hands out no interfaces
    // and counts no references.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE AddVariable(LPCOLESTR name, LPCOLESTR value) override;
    HRESULT STDMETHODCALLTYPE ClearVariables() override;

    const CVariableMap& Variables() const noexcept { return m_variables; }

#ifdef _WIN32
    // Loads the script resource of the given number (or name) and type from
    // the module file and applies it to the registry in the given mode.
    HRESULT RunScriptResource(LPCWSTR modulePath, WORD resourceId, LPCWSTR type, bool doRegister);
    HRESULT RunScriptResource(LPCWSTR modulePath, LPCWSTR resourceName, LPCWSTR type,
                              bool doRegister);
#endif

private:
    CVariableMap m_variables;
};
