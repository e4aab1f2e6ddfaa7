// Named VARIANT values under one lock, names in any letter case.
#include "asp/ValueStore.h"

#include "util/ErrorMacros.h"

#include <windows.h>

namespace {

std::wstring LowerName(const std::wstring& name)
{
    std::wstring lower = name;
    if (!lower.empty())
        CharLowerBuffW(lower.data(), static_cast<DWORD>(lower.size()));
    return lower;
}

} // namespace

HRESULT ValueStore::Get(const std::wstring& name, VARIANT* value)
{
    std::lock_guard<std::mutex> hold(m_lock);
    auto found = m_values.find(LowerName(name));
    if (found == m_values.end())
        return S_OK;
    return VariantCopy(value, found->second.Get());
}

HRESULT ValueStore::Put(const std::wstring& name, const VARIANT& value)
{
    VariantHolder copy;
    RETURN_IF_FAILED(VariantCopyInd(copy.Get(), const_cast<VARIANT*>(&value)));
    std::lock_guard<std::mutex> hold(m_lock);
    m_values[LowerName(name)] = std::move(copy);
    return S_OK;
}

void ValueStore::RemoveAll()
{
    std::map<std::wstring, VariantHolder> old;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        old.swap(m_values);
    }
}
