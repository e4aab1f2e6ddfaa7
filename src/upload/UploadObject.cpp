// The Upload object's members: see UploadObject.h. Host binding, reading and
// splitting live in CUploadRequest; this file looks items up, makes the
// UploadFile objects and serves the two native file operations.
#include "upload/UploadObject.h"

#include "upload/BodyFile.h"
#include "upload/ItemLookup.h"
#include "uploadfile/UploadFileObject.h"
#include "util/BstrHolder.h"
#include "util/ErrorMacros.h"
#include "util/ErrorReporting.h"
#include "util/MessageText.h"

namespace {

constexpr wchar_t kAboutNotice[] =
    L"TavrinUpload 1.0 - receives files and form fields posted by browsers to ASP pages. "
    L"Copyright (C) 2026 the TavrinUpload authors.";

} // namespace

HRESULT CComASPUpload::OnStartPage(IUnknown* piUnk)
{
    return m_request.OnStartPage(piUnk);
}

HRESULT CComASPUpload::OnEndPage()
{
    m_request.OnEndPage();
    return S_OK;
}

HRESULT CComASPUpload::get_Item(VARIANT index, VARIANT* pVal)
{
    if (!pVal)
        return E_POINTER;
    RETURN_IF_FAILED(m_request.ReadAndParse());

    std::shared_ptr<CUploadBody> body = m_request.SharedBody();
    const CAspUploadFormField* field = nullptr;
    if (body) {
        const int32_t position = SelectRecord(index, body->Fields());
        if (position >= 0)
            field = body->Fields().ElementAt(position);
    }

    CComObject<CComUploadFile>* item = nullptr;
    if (FAILED(CComObject<CComUploadFile>::CreateInstance(&item)))
        return E_OUTOFMEMORY;
    item->AddRef();
    V_VT(pVal) = VT_DISPATCH;
    V_DISPATCH(pVal) = static_cast<IUploadFile*>(item);
    // The item keeps this object and, through body, the records and bytes
    // it points into, even when a later body load replaces them here.
    item->BindFormItem(field, field ? std::move(body) : nullptr, this);
    return S_OK;
}

HRESULT CComASPUpload::get_Count(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    RETURN_IF_FAILED(m_request.ReadAndParse());
    *pVal = m_request.Count();
    return S_OK;
}

HRESULT CComASPUpload::get_MaxSize(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = m_request.MaxSize();
    return S_OK;
}

HRESULT CComASPUpload::put_MaxSize(LONG newVal)
{
    m_request.SetMaxSize(newVal);
    return S_OK;
}

HRESULT CComASPUpload::get_PageCode(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = m_request.PageCode();
    return S_OK;
}

HRESULT CComASPUpload::put_PageCode(LONG newVal)
{
    m_request.SetPageCode(newVal);
    return S_OK;
}

HRESULT CComASPUpload::get_About(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    BstrHolder notice;
    RETURN_IF_FAILED(notice.FromText(kAboutNotice));
    *pVal = notice.Detach();
    return S_OK;
}

HRESULT CComASPUpload::LoadBodyFromFile(BSTR path)
{
    m_request.SetPageCode(kPageCodeAutomatic);
    // Items taken from the old body keep it; this object starts afresh.
    m_request.ResetBody();
    RETURN_IF_FAILED(m_request.EnsureBody());
    return ReadBodyFile(path, *m_request.Body());
}

HRESULT CComASPUpload::SaveVariantToFile(BSTR path, VARIANT value)
{
    bool created = false;
    const HRESULT hr = WriteVariantToNewFile(path, value, created);
    if (!created)
        return ReportError(kMsgCannotCreateFile, hr, CLSID_Upload);
    return hr;
}
