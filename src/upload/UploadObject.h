// CComASPUpload, the Upload class: the object an ASP page creates to
// receive a posted form. The host binds it to the page's Request and
// Response with OnStartPage; the first Count or Item reads and splits the
// body (CUploadRequest); Item hands out every form item as a new UploadFile
// object. LoadBodyFromFile and SaveVariantToFile serve native callers only
// (IUploadNative).
#pragma once

#include "TavrinUpload/UploadNative.h"
#include "TavrinUpload_h.h"
#include "server/ClassFactory.h"
#include "server/DispatchImpl.h"
#include "upload/UploadRequest.h"

class CComASPUpload : public CComObjectRootEx<CComSingleThreadModel>,
                      public CComCoClass<CComASPUpload, &CLSID_Upload>,
                      public IDispatchImpl<IUploadNative, &IID_IUpload, &LIBID_TAVRINUPLOADLib, 1,
                                           0, CComTypeInfoHolder>
{
public:
    BEGIN_COM_MAP(CComASPUpload)
    COM_INTERFACE_ENTRY(IUpload)
    COM_INTERFACE_ENTRY2(IDispatch, IUpload)
    END_COM_MAP()

    CComASPUpload() = default;
    CComASPUpload(const CComASPUpload&) = delete;
    CComASPUpload& operator=(const CComASPUpload&) = delete;

    // IUpload
    HRESULT STDMETHODCALLTYPE OnStartPage(IUnknown* piUnk) override;
    HRESULT STDMETHODCALLTYPE OnEndPage() override;
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT index, VARIANT* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_MaxSize(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE put_MaxSize(LONG newVal) override;
    HRESULT STDMETHODCALLTYPE get_PageCode(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE put_PageCode(LONG newVal) override;
    HRESULT STDMETHODCALLTYPE get_About(BSTR* pVal) override;

    // IUploadNative
    HRESULT STDMETHODCALLTYPE LoadBodyFromFile(BSTR path) override;
    HRESULT STDMETHODCALLTYPE SaveVariantToFile(BSTR path, VARIANT value) override;

private:
    // Host references, settings, body and records; items share the body.
    CUploadRequest m_request;
};
