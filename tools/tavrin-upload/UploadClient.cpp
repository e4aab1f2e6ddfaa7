// UploadClient: creation by ProgID, the body load through the object's
// native-only slot, and the IUpload/IUploadFile calls that inspect and
// extract make. The thread's error information is cleared before each call
// that can report through it, so a description always belongs to the call
// that just failed.
#include "UploadClient.h"

#include "TavrinUpload/UploadNative.h"
#include "util/BstrHolder.h"
#include "util/VariantHolder.h"

namespace {

const wchar_t* AsWide(const std::u16string& text)
{
    return reinterpret_cast<const wchar_t*>(text.c_str());
}

Outcome WithPlatformMessage(HRESULT status, std::u16string prefix)
{
    const std::u16string message = PlatformMessage(status);
    return {status, prefix + (message.empty() ? u"no description of this status" : message)};
}

} // namespace

std::u16string TextOf(BSTR text)
{
    if (!text)
        return {};
    return std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text));
}

std::u16string PlatformMessage(HRESULT status)
{
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(status), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0 || !buffer)
        return {};
    std::u16string message(reinterpret_cast<const char16_t*>(buffer), length);
    LocalFree(buffer);
    while (!message.empty() &&
           (message.back() == u'\n' || message.back() == u'\r' || message.back() == u' '))
        message.pop_back();
    return message;
}

Outcome FailureFromErrorInfo(HRESULT status)
{
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.ReleaseAndGetAddressOf()) == S_OK && info) {
        BstrHolder description;
        if (SUCCEEDED(info->GetDescription(description.ReleaseAndGetAddressOf())) &&
            description.Length() > 0)
            return {status, TextOf(description.Get())};
    }
    return WithPlatformMessage(status, u"");
}

Outcome UploadClient::Create()
{
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(L"TavrinUpload.Upload", &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUpload,
                              reinterpret_cast<void**>(m_upload.ReleaseAndGetAddressOf()));
    if (FAILED(hr)) {
        std::u16string message = PlatformMessage(hr);
        if (!message.empty())
            message = u" (" + message + u")";
        return {hr, u"TavrinUpload.Upload cannot be created" + message +
                        u"; is TavrinUpload.dll registered (regsvr32 TavrinUpload.dll)?"};
    }
    return {};
}

Outcome UploadClient::LoadBody(const std::u16string& path)
{
    BstrHolder bstrPath(SysAllocStringLen(AsWide(path), static_cast<UINT>(path.size())));
    if (!bstrPath)
        return {E_OUTOFMEMORY, PlatformMessage(E_OUTOFMEMORY)};
    SetErrorInfo(0, nullptr);
    // LoadBodyFromFile has no interface ID: the Upload object places it in
    // its IUpload function table right after IUpload's own members, which is
    // what IUploadNative declares. m_upload came from the TavrinUpload.Upload
    // class, so the same pointer reaches that slot.
    IUploadNative* native = static_cast<IUploadNative*>(m_upload.Get());
    HRESULT hr = native->LoadBodyFromFile(bstrPath.Get());
    if (hr == S_OK)
        return {};
    // The load may answer with a bare platform error number (a positive
    // value that reads as success); it still means the body was not loaded.
    if (hr > 0)
        hr = HRESULT_FROM_WIN32(static_cast<DWORD>(hr));
    return WithPlatformMessage(hr, path + u": ");
}

Outcome UploadClient::Open(const ToolArguments& arguments, LONG* count)
{
    Outcome outcome = Create();
    if (outcome.Failed())
        return outcome;
    outcome = LoadBody(arguments.bodyPath);
    if (outcome.Failed())
        return outcome;
    if (arguments.hasPageCode) {
        outcome = SetPageCode(arguments.pageCode);
        if (outcome.Failed())
            return outcome;
    }
    return Count(count);
}

Outcome UploadClient::SetPageCode(LONG pageCode)
{
    SetErrorInfo(0, nullptr);
    const HRESULT hr = m_upload->put_PageCode(pageCode);
    return FAILED(hr) ? FailureFromErrorInfo(hr) : Outcome{};
}

Outcome UploadClient::GetPageCode(LONG* pageCode)
{
    SetErrorInfo(0, nullptr);
    const HRESULT hr = m_upload->get_PageCode(pageCode);
    return FAILED(hr) ? FailureFromErrorInfo(hr) : Outcome{};
}

Outcome UploadClient::Count(LONG* count)
{
    SetErrorInfo(0, nullptr);
    const HRESULT hr = m_upload->get_Count(count);
    return FAILED(hr) ? FailureFromErrorInfo(hr) : Outcome{};
}

Outcome UploadClient::Item(LONG index, ComPtr<IUploadFile>* item)
{
    VariantHolder position;
    position->vt = VT_I4;
    position->lVal = index;
    VariantHolder result;
    SetErrorInfo(0, nullptr);
    const HRESULT hr = m_upload->get_Item(*position.Get(), result.Get());
    if (FAILED(hr))
        return FailureFromErrorInfo(hr);
    if (result->vt != VT_DISPATCH || !result->pdispVal)
        return {E_UNEXPECTED, u"Item did not return an object"};
    const HRESULT qi = result->pdispVal->QueryInterface(
        IID_IUploadFile, reinterpret_cast<void**>(item->ReleaseAndGetAddressOf()));
    if (FAILED(qi))
        return WithPlatformMessage(qi, u"the item is no IUploadFile: ");
    return {};
}

Outcome ReadText(IUploadFile* item, TextGetter getter, std::optional<std::u16string>* value)
{
    value->reset();
    BstrHolder text;
    SetErrorInfo(0, nullptr);
    const HRESULT hr = (item->*getter)(text.ReleaseAndGetAddressOf());
    if (FAILED(hr))
        return FailureFromErrorInfo(hr);
    if (hr == S_OK)
        *value = TextOf(text.Get());
    return {};
}
