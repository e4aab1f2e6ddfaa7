// A test-only object class built on the frame exactly as the product's
// classes are: single-threaded root, class ID, dual interface through the
// type library. Its members record what reached them, so that tests can
// see which member a late-bound call arrived at and with which arguments.
#pragma once

#include "TavrinUpload_h.h"
#include "server/AtlException.h"
#include "server/ClassFactory.h"
#include "server/DispatchImpl.h"
#include "util/VariantHolder.h"

#include <string>

// The module lock count, which each live object of the frame holds one of.
inline LONG LockCount()
{
    return _Module.GetLockCount();
}

class CTestUpload
    : public CComObjectRootEx<CComSingleThreadModel>,
      public CComCoClass<CTestUpload, &CLSID_Upload>,
      public IDispatchImpl<IUpload, &IID_IUpload, &LIBID_TAVRINUPLOADLib, 1, 0, CComTypeInfoHolder>
{
public:
    BEGIN_COM_MAP(CTestUpload)
    COM_INTERFACE_ENTRY(IUpload)
    COM_INTERFACE_ENTRY2(IDispatch, IUpload)
    END_COM_MAP()

    // Knobs and counters shared by all instances; tests reset them.
    static inline bool s_throwOnConstruction = false;
    static inline bool s_touchSelfInTeardown = false;
    static inline int s_destroyed = 0;

    CTestUpload()
    {
        if (s_throwOnConstruction)
            AtlThrow(E_OUTOFMEMORY);
    }
    ~CTestUpload() { ++s_destroyed; }

    void FinalRelease() noexcept
    {
        if (!s_touchSelfInTeardown)
            return;
        IUpload* self = this;
        self->AddRef();
        self->Release();
    }

    HRESULT STDMETHODCALLTYPE OnStartPage(IUnknown* piUnk) override
    {
        m_startPageArg = piUnk;
        return Record(L"OnStartPage;");
    }
    HRESULT STDMETHODCALLTYPE OnEndPage() override { return Record(L"OnEndPage;"); }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, VARIANT* pVal) override
    {
        m_itemIndex.Clear();
        VariantCopy(m_itemIndex.Get(), &index);
        pVal->vt = VT_I4;
        pVal->lVal = 4242;
        return Record(L"Item;");
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* pVal) override { return Set(pVal, 3, L"Count;"); }
    HRESULT STDMETHODCALLTYPE get_MaxSize(LONG* pVal) override
    {
        return Set(pVal, m_maxSize, L"get_MaxSize;");
    }
    HRESULT STDMETHODCALLTYPE put_MaxSize(LONG newVal) override
    {
        return Set(&m_maxSize, newVal, L"put_MaxSize;");
    }
    HRESULT STDMETHODCALLTYPE get_PageCode(LONG* pVal) override
    {
        return Set(pVal, m_pageCode, L"get_PageCode;");
    }
    HRESULT STDMETHODCALLTYPE put_PageCode(LONG newVal) override
    {
        return Set(&m_pageCode, newVal, L"put_PageCode;");
    }
    HRESULT STDMETHODCALLTYPE get_About(BSTR* pVal) override
    {
        *pVal = SysAllocString(L"about");
        return *pVal ? Record(L"About;") : E_OUTOFMEMORY;
    }

    HRESULT Record(const wchar_t* call)
    {
        m_calls += call;
        return S_OK;
    }
    HRESULT Set(LONG* target, LONG value, const wchar_t* call)
    {
        *target = value;
        return Record(call);
    }

    std::wstring m_calls;
    IUnknown* m_startPageArg = nullptr; // not held
    VariantHolder m_itemIndex;
    LONG m_maxSize = 10485760;
    LONG m_pageCode = 65535;
};
