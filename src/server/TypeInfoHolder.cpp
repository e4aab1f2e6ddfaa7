// Loading of a type description from the registered type library, the
// member-name cache and the dispatch calls that go through them.
#include "server/TypeInfoHolder.h"

#include "server/Module.h"
#include "util/ComPtr.h"
#include "util/ErrorMacros.h"
#include "util/TypeBlockHolder.h"

#include <cstring>
#include <cwchar>
#include <memory>
#include <new>

HRESULT CComTypeInfoHolder::GetTI(LCID lcid, ITypeInfo** ppInfo) noexcept
{
    if (!ppInfo)
        return E_POINTER;
    HRESULT hr = S_OK;
    if (!m_pInfo.load(std::memory_order_acquire))
        hr = EnsureTI(lcid);
    ITypeInfo* info = m_pInfo.load(std::memory_order_acquire);
    *ppInfo = info;
    if (!info)
        return hr;
    info->AddRef();
    return S_OK;
}

HRESULT CComTypeInfoHolder::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID lcid,
                                          DISPID* dispids) noexcept
{
    const HRESULT hr = EnsureTI(lcid);
    ITypeInfo* info = m_pInfo.load(std::memory_order_acquire);
    if (!info)
        return hr;
    if (count != 0 && (!names || !dispids))
        return E_POINTER;
    if (count == 1 && names[0] && LookupCachedName(names[0], &dispids[0]))
        return S_OK;
    return info->GetIDsOfNames(names, count, dispids);
}

HRESULT CComTypeInfoHolder::Invoke(void* instance, DISPID dispid, REFIID, LCID lcid, WORD flags,
                                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                   UINT* argErr) noexcept
{
    const HRESULT hr = EnsureTI(lcid);
    ITypeInfo* info = m_pInfo.load(std::memory_order_acquire);
    if (!info)
        return hr;
    // The platform's Invoke reads the parameter block unchecked.
    if (!params)
        return E_INVALIDARG;
    return info->Invoke(instance, dispid, flags, params, result, excepInfo, argErr);
}

HRESULT CComTypeInfoHolder::EnsureTI(LCID lcid) noexcept
{
    if (m_pInfo.load(std::memory_order_acquire) && m_pMap.load(std::memory_order_acquire))
        return S_OK;
    ScopedLock<CriticalSection> lock(_Module.TypeInfoSection());
    HRESULT hr = m_pInfo.load(std::memory_order_relaxed) ? S_OK : LoadTypeInfo(lcid);
    ITypeInfo* info = m_pInfo.load(std::memory_order_relaxed);
    if (info && !m_pMap.load(std::memory_order_relaxed))
        hr = LoadNameCache(info);
    return hr;
}

namespace {

// The locale the type library declares, and is registered under.
constexpr LCID kLibraryLocale = 1033;

// The registered library under the caller's locale or, when the platform
// finds none for it, under the library's own. The platform matches a locale
// only against the same language or the neutral one, and the library is
// registered for 1033 alone: without the second look every caller with
// another locale (a script engine on a Chinese system) could never call an
// object by name.
HRESULT LoadRegisteredLibrary(const GUID& libid, WORD major, WORD minor, LCID lcid,
                              ITypeLib** library) noexcept
{
    const HRESULT hr = LoadRegTypeLib(libid, major, minor, lcid, library);
    if (hr != TYPE_E_LIBNOTREGISTERED || lcid == kLibraryLocale)
        return hr;
    return LoadRegTypeLib(libid, major, minor, kLibraryLocale, library);
}

} // namespace

// Runs under the type-information critical section. Only the registered
// library is used; there is no fallback to the library's own file.
HRESULT CComTypeInfoHolder::LoadTypeInfo(LCID lcid) noexcept
{
    ComPtr<ITypeLib> library;
    RETURN_IF_FAILED(LoadRegisteredLibrary(*m_plibid, m_wMajor, m_wMinor, lcid,
                                           library.ReleaseAndGetAddressOf()));
    ComPtr<ITypeInfo> info;
    RETURN_IF_FAILED(library->GetTypeInfoOfGuid(*m_pguid, info.ReleaseAndGetAddressOf()));
    ComPtr<ITypeInfo2> info2;
    if (SUCCEEDED(info.As(&info2)))
        info.Attach(info2.Detach());
    m_pInfo.store(info.Detach(), std::memory_order_release);
    // Without a node the description stays held until the process ends.
    _Module.AddTermFunc(&CComTypeInfoHolder::Cleanup, reinterpret_cast<DWORD_PTR>(this));
    return S_OK;
}

// Runs under the type-information critical section. A missing attribute
// block is not an error: the cache stays absent and the next call retries.
HRESULT CComTypeInfoHolder::LoadNameCache(ITypeInfo* info) noexcept
{
    TypeAttrHolder attr(info);
    if (FAILED(info->GetTypeAttr(attr.Put())) || !attr)
        return S_OK;
    const int count = attr->cFuncs;
    std::unique_ptr<stringdispid[]> entries;
    if (count != 0) {
        try {
            entries = std::make_unique<stringdispid[]>(static_cast<size_t>(count));
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }
    for (int i = 0; i < count; ++i) {
        FuncDescHolder func(info);
        if (FAILED(info->GetFuncDesc(i, func.Put())) || !func)
            continue;
        BSTR name = nullptr;
        if (SUCCEEDED(info->GetDocumentation(func->memid, &name, nullptr, nullptr, nullptr)) &&
            name) {
            entries[i].bstr = name;
            entries[i].nLen = static_cast<int>(SysStringLen(name));
            entries[i].id = func->memid;
        }
    }
    m_nCount = count;
    m_pMap.store(entries.release(), std::memory_order_release);
    return S_OK;
}

// From the last entry to the first; the first exact match (same length, same
// characters, case-sensitive) wins. A property's get and put forms share name
// and DISPID, so the order never changes the answer.
bool CComTypeInfoHolder::LookupCachedName(const OLECHAR* name, DISPID* dispid) const noexcept
{
    const stringdispid* entries = m_pMap.load(std::memory_order_acquire);
    if (!entries)
        return false;
    const size_t length = wcslen(name);
    for (int i = m_nCount - 1; i >= 0; --i) {
        const stringdispid& entry = entries[i];
        if (!entry.bstr || static_cast<size_t>(entry.nLen) != length)
            continue;
        if (std::memcmp(entry.bstr, name, length * sizeof(OLECHAR)) == 0) {
            *dispid = entry.id;
            return true;
        }
    }
    return false;
}

void WINAPI CComTypeInfoHolder::Cleanup(DWORD_PTR holder) noexcept
{
    auto* self = reinterpret_cast<CComTypeInfoHolder*>(holder);
    if (ITypeInfo* info = self->m_pInfo.exchange(nullptr))
        info->Release();
    std::unique_ptr<stringdispid[]> entries(self->m_pMap.exchange(nullptr));
    self->m_nCount = 0;
}
