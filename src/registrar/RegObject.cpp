// The registrar's variable table and its IRegistrarBase slots.
#include "registrar/RegObject.h"

#include <cstdlib>
#include <cstring>
#include <new>

void WideTextFree::operator()(WCHAR* text) const noexcept
{
    std::free(text);
}

WideText CopyWideText(LPCWSTR text) noexcept
{
    const size_t length = static_cast<size_t>(lstrlenW(text));
    auto* copy = static_cast<WCHAR*>(std::malloc((length + 1) * sizeof(WCHAR)));
    if (copy)
        std::memcpy(copy, text, (length + 1) * sizeof(WCHAR));
    return WideText(copy);
}

HRESULT CVariableMap::Add(LPCWSTR name, LPCWSTR value) noexcept
{
    WideText nameCopy = CopyWideText(name);
    WideText valueCopy = CopyWideText(value);
    if (!nameCopy || !valueCopy)
        return E_OUTOFMEMORY;
    try {
        // Room for one more entry in both arrays first, so that the two
        // push_backs below cannot throw and the arrays never differ in length.
        m_names.reserve(m_names.size() + 1);
        m_values.reserve(m_values.size() + 1);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    m_names.push_back(std::move(nameCopy));
    m_values.push_back(std::move(valueCopy));
    return S_OK;
}

LPCWSTR CVariableMap::Lookup(LPCWSTR name) const noexcept
{
    for (size_t i = 0; i < m_names.size(); ++i) {
        if (lstrcmpiW(m_names[i].get(), name) == 0)
            return m_values[i].get();
    }
    return nullptr;
}

void CVariableMap::Clear() noexcept
{
    m_names.clear();
    m_values.clear();
}

CRegObject::~CRegObject()
{
    ClearVariables();
}

HRESULT STDMETHODCALLTYPE CRegObject::QueryInterface(REFIID, void**)
{
    return E_NOTIMPL;
}

ULONG STDMETHODCALLTYPE CRegObject::AddRef()
{
    return 1;
}

ULONG STDMETHODCALLTYPE CRegObject::Release()
{
    return 0;
}

HRESULT STDMETHODCALLTYPE CRegObject::AddVariable(LPCOLESTR name, LPCOLESTR value)
{
    if (!name || !value)
        return E_INVALIDARG;
    return m_variables.Add(name, value);
}

HRESULT STDMETHODCALLTYPE CRegObject::ClearVariables()
{
    m_variables.Clear();
    return S_OK;
}
