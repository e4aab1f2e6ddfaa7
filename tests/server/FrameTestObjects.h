// Test-only object classes built on the frame exactly as the product's
// classes are: single-threaded root, class ID, dual interface through the
// type library. Their members record what reached them, so that tests can
// see which member a late-bound call arrived at and with which arguments.
#pragma once

#include "TavrinUpload_h.h"
#include "server/AtlException.h"
#include "server/ClassFactory.h"
#include "server/DispatchImpl.h"
#include "util/VariantHolder.h"

#include <string>

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
        m_calls += L"OnStartPage;";
        m_startPageArg = piUnk;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnEndPage() override
    {
        m_calls += L"OnEndPage;";
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, VARIANT* pVal) override
    {
        m_calls += L"Item;";
        m_itemIndex.Clear();
        VariantCopy(m_itemIndex.Get(), &index);
        pVal->vt = VT_I4;
        pVal->lVal = 4242;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Count(LONG* pVal) override
    {
        m_calls += L"Count;";
        *pVal = 3;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_MaxSize(LONG* pVal) override
    {
        m_calls += L"get_MaxSize;";
        *pVal = m_maxSize;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_MaxSize(LONG newVal) override
    {
        m_calls += L"put_MaxSize;";
        m_maxSize = newVal;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_PageCode(LONG* pVal) override
    {
        m_calls += L"get_PageCode;";
        *pVal = m_pageCode;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_PageCode(LONG newVal) override
    {
        m_calls += L"put_PageCode;";
        m_pageCode = newVal;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_About(BSTR* pVal) override
    {
        m_calls += L"About;";
        *pVal = SysAllocString(L"about");
        return *pVal ? S_OK : E_OUTOFMEMORY;
    }

    std::wstring m_calls;
    IUnknown* m_startPageArg = nullptr; // not held
    VariantHolder m_itemIndex;
    LONG m_maxSize = 10485760;
    LONG m_pageCode = 65535;
};

class CTestUploadFile : public CComObjectRootEx<CComSingleThreadModel>,
                        public CComCoClass<CTestUploadFile, &CLSID_UploadFile>,
                        public IDispatchImpl<IUploadFile, &IID_IUploadFile, &LIBID_TAVRINUPLOADLib,
                                             1, 0, CComTypeInfoHolder>
{
public:
    BEGIN_COM_MAP(CTestUploadFile)
    COM_INTERFACE_ENTRY(IUploadFile)
    COM_INTERFACE_ENTRY2(IDispatch, IUploadFile)
    END_COM_MAP()

    HRESULT STDMETHODCALLTYPE get_Content(VARIANT_BOOL IsString, VARIANT* pVal) override
    {
        m_calls += L"Content;";
        m_isString = IsString;
        pVal->vt = VT_BOOL;
        pVal->boolVal = IsString;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* pVal) override { return Text(L"Name;", pVal); }
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR* pVal) override { return Text(L"FileName;", pVal); }
    HRESULT STDMETHODCALLTYPE get_FilePath(BSTR* pVal) override { return Text(L"FilePath;", pVal); }
    HRESULT STDMETHODCALLTYPE get_Size(LONG* pVal) override
    {
        m_calls += L"Size;";
        *pVal = 7;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_ContentType(BSTR* pVal) override
    {
        return Text(L"ContentType;", pVal);
    }
    HRESULT STDMETHODCALLTYPE SaveAs(BSTR SavePath, VARIANT_BOOL IsOverwrites,
                                     VARIANT_BOOL* pVal) override
    {
        m_calls += L"SaveAs;";
        m_savePath = SavePath ? SavePath : L"";
        m_isOverwrites = IsOverwrites;
        *pVal = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_FileExt(BSTR* pVal) override { return Text(L"FileExt;", pVal); }

    std::wstring m_calls;
    VARIANT_BOOL m_isString = 1;     // neither true nor false until called
    VARIANT_BOOL m_isOverwrites = 1; // likewise
    std::wstring m_savePath;

private:
    HRESULT Text(const wchar_t* member, BSTR* pVal)
    {
        m_calls += member;
        *pVal = SysAllocString(member);
        return *pVal ? S_OK : E_OUTOFMEMORY;
    }
};
