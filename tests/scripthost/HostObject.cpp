// The Host object of upload script tests: see HostObject.h. A plain
// IDispatch with a fixed name table; it lives as long as its last holder.
#include "HostObject.h"

#include "ScriptObject.h"
#include "ScriptSite.h"
#include "TavrinUpload_h.h"
#include "support/HostDouble.h"
#include "support/TempDir.h"
#include "upload/UploadNative.h"
#include "upload/UploadObject.h"
#include "util/BstrHolder.h"
#include "util/Handles.h"
#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <iterator>
#include <memory>
#include <vector>

namespace {

using GetClassObjectCall = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowCall = HRESULT(STDAPICALLTYPE*)();

const wchar_t* const kMembers[] = {L"NewUpload",   L"NewBareUpload", L"CanUnload",
                                   L"ScratchPath", L"FileHex",       L"Describe"};
enum : DISPID
{
    kNewUpload = 1,
    kNewBareUpload,
    kCanUnload,
    kScratchPath,
    kFileHex,
    kDescribe
};

HRESULT ReturnText(const std::wstring& text, VARIANT* result)
{
    result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    result->vt = VT_BSTR;
    return result->bstrVal ? S_OK : E_OUTOFMEMORY;
}

void AppendHex(std::wstring& text, unsigned value, int digits)
{
    static const wchar_t kDigits[] = L"0123456789ABCDEF";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        text.push_back(kDigits[(value >> shift) & 0xF]);
}

std::wstring Describe(const VARIANT& argument)
{
    const VARIANT* value = &argument;
    if (value->vt == (VT_BYREF | VT_VARIANT) && value->pvarVal)
        value = value->pvarVal;
    if (value->vt == VT_EMPTY)
        return L"empty";
    std::wstring text;
    if (value->vt == VT_BSTR) {
        text = L"text ";
        for (UINT i = 0; i < SysStringLen(value->bstrVal); ++i)
            AppendHex(text, value->bstrVal[i], 4);
        return text;
    }
    if (value->vt == (VT_ARRAY | VT_UI1) && value->parray && SafeArrayGetDim(value->parray) == 1) {
        LONG lower = 0, upper = -1;
        SafeArrayGetLBound(value->parray, 1, &lower);
        SafeArrayGetUBound(value->parray, 1, &upper);
        text = L"bytes from " + std::to_wstring(lower) + L": ";
        SafeArrayDataLock lock(value->parray);
        const auto* bytes = static_cast<const unsigned char*>(lock.Data());
        for (LONG i = 0; bytes && i <= upper - lower; ++i)
            AppendHex(text, bytes[i], 2);
        return text;
    }
    return L"vt " + std::to_wstring(value->vt);
}

std::wstring HexOfFile(const std::wstring& path)
{
    std::wstring hex;
    for (const char byte : FileExists(path) ? ReadWholeFileForTest(path) : "")
        AppendHex(hex, static_cast<unsigned char>(byte), 2);
    return hex;
}

class HostObject : public ScriptObject
{
public:
    explicit HostObject(const HostOptions& options) : m_options(options) {}

    bool Load()
    {
        const std::wstring& dll = m_options.dllPath;
        m_dll.Reset(LoadLibraryW(dll.c_str()));
        if (m_dll) {
            m_getClassObject = reinterpret_cast<GetClassObjectCall>(
                reinterpret_cast<void*>(GetProcAddress(m_dll.Get(), "DllGetClassObject")));
            m_canUnloadNow = reinterpret_cast<CanUnloadNowCall>(
                reinterpret_cast<void*>(GetProcAddress(m_dll.Get(), "DllCanUnloadNow")));
        }
        ComPtr<ITypeLib> library;
        if (!m_getClassObject || !m_canUnloadNow ||
            FAILED(
                LoadTypeLibEx(dll.c_str(), REGKIND_REGISTER, library.ReleaseAndGetAddressOf()))) {
            WriteUtf8Line(L"FAIL: cannot load " + dll + L" or register its type library");
            return false;
        }
        return true;
    }

    long HostReferences() const
    {
        long references = 0;
        for (const auto& host : m_hosts)
            references += host->References();
        return references;
    }

    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }

    DISPID FindMember(LPCOLESTR name) const override
    {
        for (DISPID i = 0; i < DISPID(std::size(kMembers)); ++i) {
            if (lstrcmpiW(name, kMembers[i]) == 0)
                return i + 1;
        }
        return DISPID_UNKNOWN;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO*, UINT*) override
    {
        const UINT argCount = id >= kScratchPath ? 1 : 0;
        if (params->cArgs != argCount)
            return DISP_E_BADPARAMCOUNT;
        VARIANT ignored;
        if (!result)
            result = &ignored;
        VariantInit(result);
        HRESULT hr = S_OK;
        VariantHolder converted;
        if (argCount && id != kDescribe &&
            FAILED(hr = VariantChangeType(converted.Get(), &params->rgvarg[0], 0, VT_BSTR)))
            return hr;
        const std::wstring text =
            argCount && id != kDescribe
                ? std::wstring(converted->bstrVal, SysStringLen(converted->bstrVal))
                : std::wstring();
        switch (id) {
        case kNewUpload:
        case kNewBareUpload: {
            ComPtr<IUpload> upload;
            if (FAILED(hr = NewUpload(id == kNewUpload, upload)))
                return hr;
            result->vt = VT_DISPATCH;
            result->pdispVal = upload.Detach();
            break;
        }
        case kCanUnload:
            result->vt = VT_BOOL;
            result->boolVal = m_canUnloadNow() == S_OK ? VARIANT_TRUE : VARIANT_FALSE;
            break;
        case kScratchPath:
            hr = ReturnText(m_scratch.Path(text), result);
            break;
        case kFileHex:
            hr = ReturnText(HexOfFile(text), result);
            break;
        case kDescribe:
            hr = ReturnText(Describe(params->rgvarg[0]), result);
            break;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
        if (result == &ignored)
            VariantClear(result);
        return hr;
    }

private:
    HRESULT NewUpload(bool fed, ComPtr<IUpload>& upload)
    {
        ComPtr<IClassFactory> factory;
        HRESULT hr = m_getClassObject(CLSID_Upload, IID_IClassFactory,
                                      reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
        if (SUCCEEDED(hr))
            hr = factory->CreateInstance(nullptr, IID_IUpload,
                                         reinterpret_cast<void**>(upload.ReleaseAndGetAddressOf()));
        if (FAILED(hr) || !fed)
            return hr;
        if (m_options.loadBody) {
            BstrHolder path(SysAllocString(m_options.bodyPath.c_str()));
            // The native slot right after IUpload's members.
            return path ? static_cast<IUploadNative*>(upload.Get())->LoadBodyFromFile(path.Get())
                        : E_OUTOFMEMORY;
        }
        auto host = std::make_unique<HostDouble>();
        host->SetUnexpectedCallHandler([](const char* member) {
            WriteUtf8Line(L"FAIL: unexpected host call " +
                          std::wstring(member, member + strlen(member)));
            // Stop at once: unwinding through the script engine could hang.
            TerminateProcess(GetCurrentProcess(), 3);
        });
        if (!host->LoadBody(m_options.bodyPath))
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        IUnknown* context = host->Context();
        m_hosts.push_back(std::move(host));
        return upload->OnStartPage(context);
    }

    ULONG m_refs = 0;
    HostOptions m_options;
    TempDir m_scratch;
    ModuleHolder m_dll;
    GetClassObjectCall m_getClassObject = nullptr;
    CanUnloadNowCall m_canUnloadNow = nullptr;
    // Each stand-in request must outlive the Upload object bound to it.
    std::vector<std::unique_ptr<HostDouble>> m_hosts;
};

} // namespace

ComPtr<IDispatch> MakeHostObject(const HostOptions& options)
{
    ComPtr<HostObject> host(new HostObject(options));
    if (!host->Load())
        return {};
    return ComPtr<IDispatch>(host.Get());
}

bool HostReferencesReleased(IDispatch* host)
{
    const long references = static_cast<HostObject*>(host)->HostReferences();
    if (references == 0)
        return true;
    WriteUtf8Line(L"FAIL: " + std::to_wstring(references) +
                  L" host references still held after the script ended");
    return false;
}
