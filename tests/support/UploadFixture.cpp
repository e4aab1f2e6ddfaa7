// Upload test plumbing: see UploadFixture.h.
#include "support/UploadFixture.h"

#include "upload/UploadObject.h"
#include "util/BstrHolder.h"
#include "util/VariantHolder.h"

std::string MultipartBody(const std::vector<BodyPart>& parts)
{
    std::string body;
    for (const BodyPart& part : parts) {
        body += "--XyZ\r\nContent-Disposition: form-data";
        if (part.name)
            body += std::string("; name=\"") + part.name + "\"";
        if (part.fileName)
            body += std::string("; filename=\"") + part.fileName + "\"";
        body += "\r\n";
        if (part.contentType)
            body += std::string("Content-Type: ") + part.contentType + "\r\n";
        body += "\r\n" + part.content + "\r\n";
    }
    return body + "--XyZ--\r\n";
}

ComPtr<IUploadNative> NewUploadObject()
{
    CComObject<CComASPUpload>* object = nullptr;
    EXPECT_EQ(S_OK, CComObject<CComASPUpload>::CreateInstance(&object));
    return ComPtr<IUploadNative>(object);
}

TextResult ReadText(IUploadFile* item, HRESULT (STDMETHODCALLTYPE IUploadFile::*getter)(BSTR*))
{
    static OLECHAR marker[] = L"untouched";
    BSTR value = marker;
    TextResult result;
    result.status = (item->*getter)(&value);
    result.untouched = value == marker;
    if (!result.untouched) {
        result.text.assign(value, SysStringLen(value));
        SysFreeString(value);
    }
    return result;
}

void UploadTest::Serve(const std::string& body)
{
    m_host.SetBody(std::vector<uint8_t>(body.begin(), body.end()));
    ASSERT_EQ(S_OK, m_upload->OnStartPage(m_host.Context()));
}

ComPtr<IUploadFile> UploadTest::Item(const VARIANT& index)
{
    VariantHolder result;
    EXPECT_EQ(S_OK, m_upload->get_Item(index, result.Get()));
    ComPtr<IUploadFile> item;
    if (result->vt != VT_DISPATCH || !result->pdispVal) {
        ADD_FAILURE() << "Item gave no object";
        return item;
    }
    EXPECT_EQ(S_OK, result->pdispVal->QueryInterface(
                        IID_IUploadFile, reinterpret_cast<void**>(item.ReleaseAndGetAddressOf())));
    return item;
}

ComPtr<IUploadFile> UploadTest::Item(int position)
{
    VARIANT index;
    index.vt = VT_I4;
    index.lVal = position;
    return Item(index);
}

ComPtr<IUploadFile> UploadTest::ItemNamed(const wchar_t* name)
{
    VariantHolder index;
    index->vt = VT_BSTR;
    index->bstrVal = SysAllocString(name);
    return Item(*index.Get());
}

long UploadTest::Count()
{
    LONG count = -1;
    EXPECT_EQ(S_OK, m_upload->get_Count(&count));
    return count;
}

long UploadTest::PageCode()
{
    LONG pageCode = -1;
    EXPECT_EQ(S_OK, m_upload->get_PageCode(&pageCode));
    return pageCode;
}
