// CComClassFactory's two operations and the class-object creator.
#include "server/ClassFactory.h"

HRESULT STDMETHODCALLTYPE CComClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    // An outer object may only ask for the inner IUnknown.
    if (outer && !InlineIsEqualGUID(iid, IID_IUnknown))
        return CLASS_E_NOAGGREGATION;
    if (!m_creator)
        return E_UNEXPECTED;
    return m_creator(outer, iid, ppv);
}

HRESULT STDMETHODCALLTYPE CComClassFactory::LockServer(BOOL lock)
{
    if (lock)
        _Module.Lock();
    else
        _Module.Unlock();
    return S_OK;
}

HRESULT WINAPI CComClassFactoryCreator::CreateInstance(InstanceCreatorFunc creator, REFIID iid,
                                                       void** ppv) noexcept
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    using Cached = CComObjectCached<CComClassFactory>;
    Cached* p = nullptr;
    try {
        p = new Cached();
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    p->SetVoid(creator);
    const HRESULT hr = p->QueryInterface(iid, ppv);
    if (hr != S_OK) {
        *ppv = nullptr;
        delete p;
    }
    return hr;
}
