// CComTypeInfoHolder: the process-wide holder of one interface's type
// description, loaded from the registered type library on the first dispatch
// call, and of a cache of member names that answers GetIDsOfNames for a
// single name written exactly as in the library. Everything else (names in
// another case, several names, parameter names, Invoke) goes to the type
// description itself.
//
// A holder is a constant-initialised aggregate, so it exists before any
// code of the library runs. Loading and cache building happen under the
// module's type-information critical section; the type description and the
// cache are each published once and read without the lock afterwards. Both
// are released only by the holder's termination callback, which the module
// runs when the library unloads.
#pragma once

#include <windows.h>

#include <atomic>
#include <oaidl.h>

class CComTypeInfoHolder
{
public:
    // One cached name; frees its string when it goes.
    struct stringdispid
    {
        stringdispid() = default;
        ~stringdispid() { SysFreeString(bstr); }
        stringdispid(const stringdispid&) = delete;
        stringdispid& operator=(const stringdispid&) = delete;

        BSTR bstr = nullptr; // owned
        int nLen = 0;        // characters
        DISPID id = -1;
    };

    HRESULT GetTI(LCID lcid, ITypeInfo** ppInfo) noexcept;
    HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                          DISPID* dispids) noexcept;
    HRESULT Invoke(void* instance, DISPID dispid, REFIID riid, LCID lcid, WORD flags,
                   DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                   UINT* argErr) noexcept;

    // Loads the type description and builds the cache if either is missing.
    // A failure leaves nothing held that was not held before, so the next
    // call tries again.
    HRESULT EnsureTI(LCID lcid) noexcept;

    // The termination callback: releases the description and frees the
    // cache. Safe to run more than once.
    static void WINAPI Cleanup(DWORD_PTR holder) noexcept;

    const GUID* m_pguid;
    const GUID* m_plibid;
    WORD m_wMajor;
    WORD m_wMinor;
    std::atomic<ITypeInfo*> m_pInfo{nullptr};
    std::atomic<stringdispid*> m_pMap{nullptr};
    int m_nCount = 0;

private:
    HRESULT LoadTypeInfo(LCID lcid) noexcept;
    HRESULT LoadNameCache(ITypeInfo* info) noexcept;
    bool LookupCachedName(const OLECHAR* name, DISPID* dispid) const noexcept;
};
