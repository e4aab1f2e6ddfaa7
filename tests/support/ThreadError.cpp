// GetErrorInfo-based reader of the thread's error information.
#include "support/ThreadError.h"

#include "util/BstrHolder.h"
#include "util/ComPtr.h"

#include <TavrinUpload_h.h>

#include <oaidl.h>

namespace {

bool Take(HRESULT hr, const BstrHolder& text, std::wstring* out)
{
    if (FAILED(hr) || !text || text.Length() == 0)
        return false;
    out->assign(text.Get(), text.Length());
    return true;
}

} // namespace

ThreadError TakeThreadError()
{
    ThreadError error;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.ReleaseAndGetAddressOf()) != S_OK || !info)
        return error;
    error.present = true;
    BstrHolder text;
    Take(info->GetDescription(text.ReleaseAndGetAddressOf()), text, &error.description);
    error.hasSource = Take(info->GetSource(text.ReleaseAndGetAddressOf()), text, &error.source);
    std::wstring helpFile;
    error.hasHelpFile = Take(info->GetHelpFile(text.ReleaseAndGetAddressOf()), text, &helpFile);
    info->GetGUID(&error.guid);
    info->GetHelpContext(&error.helpContext);
    return error;
}

void ClearThreadError()
{
    SetErrorInfo(0, nullptr);
}

std::wstring RegisteredUploadProgId()
{
    LPOLESTR found = nullptr;
    if (FAILED(ProgIDFromCLSID(CLSID_Upload, &found)) || !found)
        return L"";
    std::wstring progId(found);
    CoTaskMemFree(found);
    return progId;
}
