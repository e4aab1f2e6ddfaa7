// ReportError builds the error-information object through the automation
// library (CreateErrorInfo) and installs it with SetErrorInfo, from which
// the script host takes the text that it shows on the page.
#include "util/ErrorReporting.h"

#include "util/BstrHolder.h"
#include "util/ComPtr.h"

#include <memory>
#include <oaidl.h>

namespace {

struct CoTaskMemDeleter
{
    void operator()(void* p) const noexcept { CoTaskMemFree(p); }
};
using CoTaskMemText = std::unique_ptr<OLECHAR, CoTaskMemDeleter>;

const OLECHAR kUnknownError[] = L"Unknown Error";

// The source is the ProgID that the registry holds for the class; while the
// class is not registered there is none and no source is set.
void SetSourceFromRegistry(ICreateErrorInfo* info, REFCLSID sourceClass) noexcept
{
    LPOLESTR found = nullptr;
    const HRESULT hr = ProgIDFromCLSID(sourceClass, &found);
    CoTaskMemText progId(found);
    if (SUCCEEDED(hr) && progId)
        info->SetSource(progId.get());
}

void InstallErrorInfo(LPCOLESTR description, REFCLSID sourceClass) noexcept
{
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.ReleaseAndGetAddressOf())) || !create)
        return;
    create->SetGUID(GUID_NULL);
    SetSourceFromRegistry(create.Get(), sourceClass);
    create->SetDescription(const_cast<LPOLESTR>(description));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info)))
        SetErrorInfo(0, info.Get());
}

} // namespace

HRESULT ReportError(UINT messageId, HRESULT status, REFCLSID sourceClass) noexcept
{
    BstrHolder text;
    InstallErrorInfo(text.LoadMessage(messageId) ? text.Get() : kUnknownError, sourceClass);
    return status == S_OK ? DISP_E_EXCEPTION : status;
}
