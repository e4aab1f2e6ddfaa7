// CComUploadFile, the UploadFile class: what Upload.Item hands out for one
// form item, file or plain field alike. It copies nothing: it points at the
// item's record and shares ownership of the body that holds the record and
// its bytes, so the item stays valid whatever its Upload object does later
// (even loading another body). It keeps its Upload object alive too, whose
// PageCode governs Content as text.
#pragma once

#include "TavrinUpload_h.h"
#include "server/ClassFactory.h"
#include "server/DispatchImpl.h"
#include "upload/body/UploadBody.h"
#include "uploadfile/ClientPath.h"
#include "util/ComPtr.h"

#include <memory>

class CComUploadFile : public CComObjectRootEx<CComSingleThreadModel>,
                       public CComCoClass<CComUploadFile, &CLSID_UploadFile>,
                       public IDispatchImpl<IUploadFile, &IID_IUploadFile, &LIBID_TAVRINUPLOADLib,
                                            1, 0, CComTypeInfoHolder>
{
public:
    BEGIN_COM_MAP(CComUploadFile)
    COM_INTERFACE_ENTRY(IUploadFile)
    COM_INTERFACE_ENTRY2(IDispatch, IUploadFile)
    END_COM_MAP()

    CComUploadFile() = default;
    CComUploadFile(const CComUploadFile&) = delete;
    CComUploadFile& operator=(const CComUploadFile&) = delete;

    // Binds the item once, right after creation: field may be null (an index
    // that selected nothing); body is what keeps field alive; owner is the
    // Upload object, referenced until the item goes. Splits the client's
    // file name into base name and extension.
    void BindFormItem(const CAspUploadFormField* field, std::shared_ptr<CUploadBody> body,
                      IUpload* owner) noexcept;

    // IUploadFile. Properties without a value return S_FALSE and leave a
    // string result untouched; nothing here reports error information.
    HRESULT STDMETHODCALLTYPE get_Content(VARIANT_BOOL IsString, VARIANT* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_FileName(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_FilePath(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE get_Size(LONG* pVal) override;
    HRESULT STDMETHODCALLTYPE get_ContentType(BSTR* pVal) override;
    HRESULT STDMETHODCALLTYPE SaveAs(BSTR SavePath, VARIANT_BOOL IsOverwrites,
                                     VARIANT_BOOL* pVal) override;
    HRESULT STDMETHODCALLTYPE get_FileExt(BSTR* pVal) override;

private:
    // Points into m_body's records; null when bound to no record.
    const CAspUploadFormField* m_field = nullptr;
    // Keeps the record and the bytes it points to alive.
    std::shared_ptr<CUploadBody> m_body;
    ComPtr<IUpload> m_owner;
    WCHAR m_baseName[kClientPathPartUnits] = {};
    WCHAR m_extension[kClientPathPartUnits] = {};
};
