// Upload objects for the script host: see UploadSource.h.
#include "UploadSource.h"

#include "ScriptSite.h"
#include "TavrinUpload_h.h"
#include "support/HostDouble.h"
#include "upload/UploadNative.h"
#include "upload/UploadObject.h"
#include "util/BstrHolder.h"
#include "util/Handles.h"

#include <vector>

namespace {

using GetClassObjectCall = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using CanUnloadNowCall = HRESULT(STDAPICALLTYPE*)();

class Source final : public UploadSource
{
public:
    explicit Source(const UploadSourceOptions& options) : m_options(options) {}

    bool Init()
    {
        m_dll.Reset(LoadLibraryW(m_options.dllPath.c_str()));
        if (!m_dll) {
            WriteUtf8Line(L"FAIL: cannot load " + m_options.dllPath);
            return false;
        }
        m_getClassObject = reinterpret_cast<GetClassObjectCall>(
            reinterpret_cast<void*>(GetProcAddress(m_dll.Get(), "DllGetClassObject")));
        m_canUnloadNow = reinterpret_cast<CanUnloadNowCall>(
            reinterpret_cast<void*>(GetProcAddress(m_dll.Get(), "DllCanUnloadNow")));
        if (!m_getClassObject || !m_canUnloadNow) {
            WriteUtf8Line(L"FAIL: " + m_options.dllPath + L" lacks its entry points");
            return false;
        }
        return RegisterTypeLibraryOf(m_options.dllPath);
    }

    HRESULT NewUpload(bool fed, IDispatch** out) override
    {
        ComPtr<IUpload> upload;
        HRESULT hr = Create(upload);
        if (FAILED(hr))
            return hr;
        if (fed && FAILED(hr = Feed(upload.Get())))
            return hr;
        *out = upload.Detach();
        return S_OK;
    }

    bool CanUnload() override { return m_canUnloadNow() == S_OK; }

    long HostReferences() const
    {
        long references = 0;
        for (const auto& host : m_hosts)
            references += host->References();
        return references;
    }

private:
    static bool RegisterTypeLibraryOf(const std::wstring& path)
    {
        ComPtr<ITypeLib> library;
        const HRESULT hr =
            LoadTypeLibEx(path.c_str(), REGKIND_REGISTER, library.ReleaseAndGetAddressOf());
        if (FAILED(hr)) {
            wchar_t status[16];
            wsprintfW(status, L"0x%08X", static_cast<unsigned>(hr));
            WriteUtf8Line(L"FAIL: cannot register the type library of " + path + L": " + status);
            return false;
        }
        return true;
    }

    HRESULT Create(ComPtr<IUpload>& upload)
    {
        ComPtr<IClassFactory> factory;
        const HRESULT hr =
            m_getClassObject(CLSID_Upload, IID_IClassFactory,
                             reinterpret_cast<void**>(factory.ReleaseAndGetAddressOf()));
        if (FAILED(hr))
            return hr;
        return factory->CreateInstance(nullptr, IID_IUpload,
                                       reinterpret_cast<void**>(upload.ReleaseAndGetAddressOf()));
    }

    HRESULT Feed(IUpload* upload)
    {
        switch (m_options.feed) {
        case BodyFeed::None:
            return S_OK;
        case BodyFeed::HostRequest: {
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
        case BodyFeed::LoadFromFile: {
            BstrHolder path(SysAllocString(m_options.bodyPath.c_str()));
            if (!path)
                return E_OUTOFMEMORY;
            // The native slot right after IUpload's members.
            return static_cast<IUploadNative*>(upload)->LoadBodyFromFile(path.Get());
        }
        }
        return E_INVALIDARG;
    }

    UploadSourceOptions m_options;
    ModuleHolder m_dll;
    GetClassObjectCall m_getClassObject = nullptr;
    CanUnloadNowCall m_canUnloadNow = nullptr;
    // Each stand-in host must outlive the Upload object bound to it.
    std::vector<std::unique_ptr<HostDouble>> m_hosts;
};

} // namespace

std::unique_ptr<UploadSource> MakeUploadSource(const UploadSourceOptions& options)
{
    auto source = std::make_unique<Source>(options);
    if (!source->Init())
        return nullptr;
    return source;
}

bool CheckHostReferencesReleased(UploadSource& source)
{
    const long references = static_cast<Source&>(source).HostReferences();
    if (references == 0)
        return true;
    WriteUtf8Line(L"FAIL: " + std::to_wstring(references) +
                  L" host references still held after the script ended");
    return false;
}
