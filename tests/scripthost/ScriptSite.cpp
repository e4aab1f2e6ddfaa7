// The script site, the WScript object and the run of one script.
#include "ScriptSite.h"

#include "ScriptObject.h"

#include "util/BstrHolder.h"
#include "util/VariantHolder.h"

#include <objbase.h>

namespace {

// Raised by WScript.Quit to stop the script; the site knows it is no error.
constexpr HRESULT kQuitStatus = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x7A01);
constexpr DISPID kDispEcho = 1;
constexpr DISPID kDispQuit = 2;

std::wstring ToText(const VARIANT& value)
{
    VariantHolder text;
    if (FAILED(VariantChangeType(text.Get(), const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL, VT_BSTR)))
        return L"<" + std::to_wstring(value.vt) + L">";
    return std::wstring(text->bstrVal, SysStringLen(text->bstrVal));
}

// The WScript object: Echo(args...) writes one line, Quit([code]) stops.
class WScriptObject : public ScriptObject
{
public:
    explicit WScriptObject(ScriptOutcome& outcome) : m_outcome(outcome) {}

    // Lives on the stack of RunScript, which outlives the engine.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    DISPID FindMember(LPCOLESTR name) const override
    {
        if (lstrcmpiW(name, L"Echo") == 0)
            return kDispEcho;
        if (lstrcmpiW(name, L"Quit") == 0)
            return kDispQuit;
        return DISPID_UNKNOWN;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                        EXCEPINFO*, UINT*) override
    {
        if (id == kDispEcho) {
            // Arguments arrive last first.
            std::wstring line;
            for (UINT i = params->cArgs; i-- > 0;) {
                line += ToText(params->rgvarg[i]);
                if (i > 0)
                    line += L' ';
            }
            WriteUtf8Line(line);
            m_outcome.lastLine = line;
            return S_OK;
        }
        if (id == kDispQuit) {
            m_outcome.quit = true;
            if (params->cArgs > 0) {
                VariantHolder code;
                if (SUCCEEDED(VariantChangeType(code.Get(), &params->rgvarg[0], 0, VT_I4)))
                    m_outcome.quitCode = code->lVal;
            }
            return kQuitStatus;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    ScriptOutcome& m_outcome;
};

class ScriptSite : public IActiveScriptSite
{
public:
    ScriptSite(ScriptOutcome& outcome, const std::vector<NamedObject>& objects)
        : m_outcome(outcome), m_objects(objects)
    {
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IActiveScriptSite)
            return E_NOINTERFACE;
        *out = static_cast<IActiveScriptSite*>(this);
        AddRef();
        return S_OK;
    }
    // Lives on the stack of RunScript, which closes the engine before it goes.
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP GetLCID(LCID* lcid) override
    {
        if (!lcid)
            return E_POINTER;
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
            if (lstrcmpiW(item.name.c_str(), name) != 0)
                continue;
            if (mask & SCRIPTINFO_IUNKNOWN) {
                if (!unknown)
                    return E_POINTER;
                return item.object->QueryInterface(IID_IUnknown,
                                                   reinterpret_cast<void**>(unknown));
            }
            return TYPE_E_ELEMENTNOTFOUND;
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
        WriteUtf8Line(L"SCRIPT ERROR line " + std::to_wstring(line + 1) + L": " + status +
                      L" " + (source ? source.Get() : L"") + L": " +
                      (description ? description.Get() : L"(no description)"));
        m_outcome.scriptError = true;
        return S_OK;
    }
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }

private:
    ScriptOutcome& m_outcome;
    const std::vector<NamedObject>& m_objects;
};

HRESULT RunWithEngine(IActiveScript* engine, ScriptSite& site, const std::wstring& text,
                      const std::vector<NamedObject>& objects)
{
    ComPtr<IActiveScriptParse> parser;
    HRESULT hr = engine->QueryInterface(__uuidof(IActiveScriptParse),
                                        reinterpret_cast<void**>(parser.ReleaseAndGetAddressOf()));
    if (FAILED(hr))
        return hr;
    if (FAILED(hr = parser->InitNew()))
        return hr;
    if (FAILED(hr = engine->SetScriptSite(&site)))
        return hr;
    for (const NamedObject& item : objects) {
        if (FAILED(hr = engine->AddNamedItem(item.name.c_str(), SCRIPTITEM_ISVISIBLE)))
            return hr;
    }
    EXCEPINFO info = {};
    hr = parser->ParseScriptText(text.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                 SCRIPTTEXT_ISVISIBLE, nullptr, &info);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    // A parse error has been reported to the site already.
    if (FAILED(hr))
        return S_OK;
    engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    return S_OK;
}

} // namespace

void WriteUtf8Line(const std::wstring& text)
{
    std::wstring line = text + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(),
                        size, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

ScriptOutcome RunScript(const wchar_t* engineProgId, const std::wstring& scriptText,
                        const std::vector<NamedObject>& extraObjects)
{
    ScriptOutcome outcome;
    WScriptObject wscript(outcome);
    std::vector<NamedObject> objects = extraObjects;
    objects.insert(objects.begin(), NamedObject{L"WScript", ComPtr<IDispatch>(&wscript)});
    ScriptSite site(outcome, objects);

    CLSID engineClass;
    ComPtr<IActiveScript> engine;
    outcome.engineStatus = CLSIDFromProgID(engineProgId, &engineClass);
    if (SUCCEEDED(outcome.engineStatus))
        outcome.engineStatus = CoCreateInstance(
            engineClass, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
            reinterpret_cast<void**>(engine.ReleaseAndGetAddressOf()));
    if (FAILED(outcome.engineStatus))
        return outcome;
    outcome.engineStatus = RunWithEngine(engine.Get(), site, scriptText, objects);
    engine->Close();
    return outcome;
}
