// The script site, the WScript object and the run of one script.
#include "ScriptSite.h"

#include "ScriptObject.h"

#include "util/BstrHolder.h"
#include "util/VariantHolder.h"

#include <activscp.h>

namespace {

// Raised by WScript.Quit to stop the script; the site knows it is no error.
constexpr HRESULT kQuitStatus = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x7A01);

struct Outcome
{
    bool error = false; // an error reached the host unhandled
    bool quit = false;
    long quitCode = 0;
    std::wstring lastLine; // the last line that WScript.Echo wrote
};

// The WScript object: Echo(args...) writes one line, Quit([code]) stops.
// It lives on the stack of RunScript, which outlives the engine.
class WScriptObject : public ScriptObject
{
public:
    explicit WScriptObject(Outcome& outcome) : m_outcome(outcome) {}

    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    DISPID FindMember(LPCOLESTR name) const override
    {
        return lstrcmpiW(name, L"Echo") == 0   ? 1
               : lstrcmpiW(name, L"Quit") == 0 ? 2
                                               : DISPID_UNKNOWN;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                        UINT*) override
    {
        if (id == 2) {
            VariantHolder code;
            m_outcome.quit = true;
            if (params->cArgs > 0 &&
                SUCCEEDED(VariantChangeType(code.Get(), &params->rgvarg[0], 0, VT_I4)))
                m_outcome.quitCode = code->lVal;
            return kQuitStatus;
        }
        // Arguments arrive last first.
        std::wstring line;
        for (UINT i = params->cArgs; i-- > 0;) {
            VariantHolder text;
            if (SUCCEEDED(
                    VariantChangeType(text.Get(), &params->rgvarg[i], VARIANT_ALPHABOOL, VT_BSTR)))
                line.append(text->bstrVal, SysStringLen(text->bstrVal));
            else
                line += L"<" + std::to_wstring(params->rgvarg[i].vt) + L">";
            if (i > 0)
                line += L' ';
        }
        WriteUtf8Line(line);
        m_outcome.lastLine = line;
        return S_OK;
    }

private:
    Outcome& m_outcome;
};

// Lives on the stack of RunScript, which closes the engine before it goes.
class ScriptSite : public IActiveScriptSite
{
public:
    ScriptSite(Outcome& outcome, const std::vector<NamedObject>& objects)
        : m_outcome(outcome), m_objects(objects)
    {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IActiveScriptSite ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP GetLCID(LCID* lcid) override
    {
        *lcid = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
        return S_OK;
    }
    STDMETHODIMP GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** unknown,
                             ITypeInfo** typeInfo) override
    {
        if (typeInfo)
            *typeInfo = nullptr;
        if (unknown)
            *unknown = nullptr;
        for (const NamedObject& item : m_objects) {
            if (lstrcmpiW(item.name.c_str(), name) == 0 && (mask & SCRIPTINFO_IUNKNOWN))
                return item.object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown));
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }
    STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override
    {
        EXCEPINFO info = {};
        error->GetExceptionInfo(&info);
        if (info.pfnDeferredFillIn)
            info.pfnDeferredFillIn(&info);
        BstrHolder description(info.bstrDescription), source(info.bstrSource),
            help(info.bstrHelpFile);
        const HRESULT code = info.scode ? info.scode : static_cast<HRESULT>(info.wCode);
        if (m_outcome.quit && code == kQuitStatus)
            return S_OK;
        DWORD context = 0;
        ULONG line = 0;
        LONG column = 0;
        error->GetSourcePosition(&context, &line, &column);
        wchar_t status[16];
        wsprintfW(status, L"0x%08X", static_cast<unsigned>(code));
        WriteUtf8Line(L"SCRIPT ERROR line " + std::to_wstring(line + 1) + L": " + status + L" " +
                      (source ? source.Get() : L"") + L": " +
                      (description ? description.Get() : L"(no description)"));
        m_outcome.error = true;
        return S_OK;
    }
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }

private:
    Outcome& m_outcome;
    const std::vector<NamedObject>& m_objects;
};

} // namespace

void WriteUtf8Line(const std::wstring& text)
{
    const std::wstring line = text + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

bool RunScript(const wchar_t* engineProgId, const std::wstring& scriptText,
               std::vector<NamedObject> objects)
{
    Outcome outcome;
    WScriptObject wscript(outcome);
    objects.push_back(NamedObject{L"WScript", ComPtr<IDispatch>(&wscript)});
    ScriptSite site(outcome, objects);

    CLSID engineClass;
    ComPtr<IActiveScript> engine;
    ComPtr<IActiveScriptParse> parser;
    HRESULT hr = CLSIDFromProgID(engineProgId, &engineClass);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(engineClass, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                              reinterpret_cast<void**>(engine.ReleaseAndGetAddressOf()));
    if (SUCCEEDED(hr))
        hr = engine->QueryInterface(__uuidof(IActiveScriptParse),
                                    reinterpret_cast<void**>(parser.ReleaseAndGetAddressOf()));
    if (SUCCEEDED(hr))
        hr = parser->InitNew();
    if (SUCCEEDED(hr))
        hr = engine->SetScriptSite(&site);
    for (const NamedObject& item : objects) {
        if (SUCCEEDED(hr))
            hr = engine->AddNamedItem(item.name.c_str(), SCRIPTITEM_ISVISIBLE);
    }
    if (FAILED(hr)) {
        if (engine)
            engine->Close();
        WriteUtf8Line(L"FAIL: script engine " + std::wstring(engineProgId) + L" unavailable");
        return false;
    }
    // A parse error reaches the site as a script error.
    if (SUCCEEDED(parser->ParseScriptText(scriptText.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                          SCRIPTTEXT_ISVISIBLE, nullptr, nullptr)))
        engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    engine->Close();
    if (outcome.error)
        return false;
    if (outcome.quitCode != 0) {
        WriteUtf8Line(L"FAIL: script quit with code " + std::to_wstring(outcome.quitCode));
        return false;
    }
    if (outcome.lastLine != L"PASS") {
        WriteUtf8Line(L"FAIL: the script did not end by writing PASS");
        return false;
    }
    return true;
}
