// The UploadFile object's members: see UploadFileObject.h. Content and
// SaveAs hand the work to ItemContent and SaveToFile.
#include "uploadfile/UploadFileObject.h"

#include "uploadfile/ItemContent.h"
#include "uploadfile/SaveToFile.h"
#include "util/BstrHolder.h"
#include "util/ErrorMacros.h"

namespace {

// Hands a copy of a non-empty record string to *out; S_FALSE for an absent
// or empty one.
HRESULT CopyRecordText(BSTR text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    if (SysStringLen(text) == 0)
        return S_FALSE;
    BstrHolder copy = BstrHolder::Copy(text);
    RETURN_IF_NULL_ALLOC(copy);
    *out = copy.Detach();
    return S_OK;
}

} // namespace

void CComUploadFile::BindFormItem(const CAspUploadFormField* field,
                                  std::shared_ptr<CUploadBody> body, IUpload* owner) noexcept
{
    m_field = field;
    m_body = std::move(body);
    if (owner != m_owner.Get())
        m_owner = ComPtr<IUpload>(owner);
    m_baseName[0] = 0;
    m_extension[0] = 0;
    if (m_field && SysStringLen(m_field->fileName) > 0)
        SplitClientPath(m_field->fileName, m_baseName, m_extension);
}

HRESULT CComUploadFile::get_Content(VARIANT_BOOL IsString, VARIANT* pVal)
{
    if (!pVal)
        return E_POINTER;
    if (!m_field)
        return S_FALSE;
    if (IsString == VARIANT_FALSE)
        return MakeByteArrayContent(m_field->data, m_field->size, pVal);
    return MakeTextContent(m_field->data, m_field->size, m_owner.Get(), pVal);
}

HRESULT CComUploadFile::get_Name(BSTR* pVal)
{
    return CopyRecordText(m_field ? m_field->name : nullptr, pVal);
}

HRESULT CComUploadFile::get_FileName(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    if (!m_field || SysStringLen(m_field->fileName) == 0)
        return S_FALSE;
    BstrHolder name;
    RETURN_IF_FAILED(name.FromText(m_baseName));
    RETURN_IF_FAILED(name.Append(m_extension));
    *pVal = name.Detach();
    return S_OK;
}

HRESULT CComUploadFile::get_FilePath(BSTR* pVal)
{
    return CopyRecordText(m_field ? m_field->fileName : nullptr, pVal);
}

HRESULT CComUploadFile::get_Size(LONG* pVal)
{
    if (!pVal)
        return E_POINTER;
    if (!m_field) {
        *pVal = 0;
        return S_FALSE;
    }
    *pVal = m_field->size;
    return S_OK;
}

HRESULT CComUploadFile::get_ContentType(BSTR* pVal)
{
    return CopyRecordText(m_field ? m_field->contentType : nullptr, pVal);
}

HRESULT CComUploadFile::SaveAs(BSTR SavePath, VARIANT_BOOL IsOverwrites, VARIANT_BOOL* pVal)
{
    if (!pVal)
        return E_POINTER;
    *pVal = VARIANT_FALSE;
    if (!m_field || !m_field->data)
        return S_FALSE;
    // A null string is the empty path, which no file system accepts.
    const bool saved = SaveBytesToFile(SavePath ? SavePath : L"", m_field->data, m_field->size,
                                       IsOverwrites != VARIANT_FALSE);
    *pVal = saved ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CComUploadFile::get_FileExt(BSTR* pVal)
{
    if (!pVal)
        return E_POINTER;
    if (!m_field || m_extension[0] != '.')
        return S_FALSE;
    BstrHolder extension;
    RETURN_IF_FAILED(extension.FromText(m_extension + 1));
    *pVal = extension.Detach();
    return S_OK;
}
