// RunPage: one request through one page. Finds and compiles the page (404,
// or 500 for a page that does not compile), makes its host objects, runs
// its script with the platform's engine on the calling thread, ends the
// components that Server.CreateObject started, and finishes the response;
// a script error replaces what is still buffered with a 500 error page.
#include "asp/PageRun.h"

#include "asp/CodePageText.h"
#include "asp/FileAccess.h"
#include "asp/HostObjects.h"
#include "asp/PageState.h"
#include "asp/PhysicalPath.h"
#include "asp/ScriptError.h"
#include "asp/SiteState.h"

#include "util/ComPtr.h"

#include <activscp.h>
#include <new>

namespace {

// The page's one named item, not visible by its own name: the scripting
// context, whose members Request, Response, Server, Session and Application
// the script sees as globals.
constexpr wchar_t kGlobalsItem[] = L"ScriptingContext";

// The site the engine calls back: it hands out the host objects by name and
// records the first script error. Lives on the stack of RunScript, which
// closes the engine before it goes. Only OnScriptError allocates; the other
// callbacks cannot throw.
class PageScriptSite : public IActiveScriptSite
{
public:
    PageScriptSite(const HostObjects& objects, const CompiledPage& page, ScriptError& error)
        : m_objects(objects), m_page(page), m_error(error)
    {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = iid == IID_IUnknown || iid == IID_IActiveScriptSite ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
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
        if (!(mask & SCRIPTINFO_IUNKNOWN) || !unknown)
            return mask & SCRIPTINFO_ITYPEINFO ? TYPE_E_ELEMENTNOTFOUND : E_INVALIDARG;
        IUnknown* object = Find(name);
        if (!object)
            return TYPE_E_ELEMENTNOTFOUND;
        return object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(unknown));
    }
    STDMETHODIMP GetDocVersionString(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    STDMETHODIMP OnStateChange(SCRIPTSTATE) override { return S_OK; }
    STDMETHODIMP OnScriptError(IActiveScriptError* error) override
    {
        if (!error || m_error.raised)
            return S_OK;
        // No C++ exception may unwind into the engine. An error that cannot
        // be described for want of memory still ends the page with a 500.
        try {
            m_error = ScriptErrorOf(*error, m_page);
            return S_OK;
        } catch (const std::bad_alloc&) {
            m_error = ScriptError{};
            m_error.raised = true;
            m_error.number = E_OUTOFMEMORY;
            return E_OUTOFMEMORY;
        } catch (...) {
            m_error = ScriptError{};
            m_error.raised = true;
            m_error.number = E_FAIL;
            return E_FAIL;
        }
    }
    STDMETHODIMP OnEnterScript() override { return S_OK; }
    STDMETHODIMP OnLeaveScript() override { return S_OK; }

private:
    IUnknown* Find(LPCOLESTR name) const
    {
        return lstrcmpiW(name, kGlobalsItem) == 0 ? m_objects.context.Get() : nullptr;
    }

    const HostObjects& m_objects;
    const CompiledPage& m_page;
    ScriptError& m_error;
};

// Publishes the running engine to the watchdog for the life of a scope.
class WatchScope
{
public:
    WatchScope(PageWatch* watch, IActiveScript* engine) : m_watch(watch)
    {
        if (!m_watch)
            return;
        SCRIPTTHREADID thread = 0;
        engine->GetCurrentScriptThreadID(&thread);
        std::lock_guard<std::mutex> hold(m_watch->engineLock);
        m_watch->scriptThreadId = thread;
        m_watch->engine = reinterpret_cast<uintptr_t>(engine);
        m_watch->startTick = static_cast<int64_t>(GetTickCount64());
    }
    ~WatchScope()
    {
        if (!m_watch)
            return;
        std::lock_guard<std::mutex> hold(m_watch->engineLock);
        m_watch->startTick = 0;
        m_watch->engine = 0;
    }
    WatchScope(const WatchScope&) = delete;
    WatchScope& operator=(const WatchScope&) = delete;

private:
    PageWatch* m_watch;
};

// Runs the page's script; error receives the first script error. Failing to
// set up the engine is reported as an error of its own.
void RunScript(const CompiledPage& page, unsigned codePage, const HostObjects& objects,
               PageWatch* watch, ScriptError& error)
{
    PageScriptSite site(objects, page, error);
    const wchar_t* language = page.language == ScriptLanguage::JScript ? L"JScript" : L"VBScript";
    CLSID engineClass;
    ComPtr<IActiveScript> engine;
    ComPtr<IActiveScriptParse> parser;
    HRESULT hr = CLSIDFromProgID(language, &engineClass);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(engineClass, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript,
                              reinterpret_cast<void**>(engine.ReleaseAndGetAddressOf()));
    if (SUCCEEDED(hr))
        hr = engine.As(&parser);
    if (SUCCEEDED(hr))
        hr = parser->InitNew();
    if (SUCCEEDED(hr))
        hr = engine->SetScriptSite(&site);
    if (SUCCEEDED(hr))
        hr = engine->AddNamedItem(kGlobalsItem, SCRIPTITEM_GLOBALMEMBERS);
    if (FAILED(hr)) {
        if (engine)
            engine->Close();
        error =
            HostError(hr, std::wstring(L"The ") + language + L" engine cannot be started.", page);
        return;
    }
    const std::wstring script = WidenBytes(page.script, codePage);
    {
        WatchScope running(watch, engine.Get());
        // A syntax error reaches the site as a script error.
        if (SUCCEEDED(parser->ParseScriptText(script.c_str(), nullptr, nullptr, nullptr, 0, 0,
                                              SCRIPTTEXT_ISVISIBLE, nullptr, nullptr)))
            engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    }
    // Components end before the engine lets go of the script's variables.
    EndComponents(*objects.components);
    engine->Close();
}

void AnswerError(PageState& state, int status, const ScriptError* error)
{
    if (!state.headSent) {
        state.Clear();
        state.headers.clear();
        state.cookies.clear();
        state.contentType = L"text/html";
        state.status = status;
        state.statusLine = StatusText(status);
    }
    state.ended = false;
    state.buffering = true;
    state.WriteText(error ? ErrorPageHtml(*error)
                          : L"<html><head><title>" + WidenBytes(state.statusLine, CP_ACP) +
                                L"</title></head><body><h1>" +
                                WidenBytes(state.statusLine, CP_ACP) + L"</h1></body></html>\r\n");
}

PageOutcome Finish(PageState& state)
{
    PageOutcome outcome;
    state.Finish(outcome);
    state.closed = true;
    return outcome;
}

} // namespace

std::shared_ptr<SiteState> CreateSiteState()
{
    return std::make_shared<SiteState>();
}

PageOutcome RunPage(const PageRequest& request)
{
    std::shared_ptr<SiteState> ownSite;
    PageRequest withSite = request;
    if (!withSite.site) {
        ownSite = CreateSiteState();
        withSite.site = ownSite.get();
    }
    std::wstring file;
    if (!PhysicalPath(withSite.root, withSite.virtualPath, file) || FileStamp(file) == 0) {
        PageState state(withSite, nullptr, GetACP());
        AnswerError(state, 404, nullptr);
        return Finish(state);
    }
    std::shared_ptr<const CompiledPage> page;
    PageCompileError compileError;
    if (!withSite.site->GetPage(withSite.root, withSite.virtualPath, page, compileError)) {
        PageState state(withSite, page, GetACP());
        const ScriptError error = CompileErrorOf(compileError, *page);
        AnswerError(state, 500, &error);
        PageOutcome outcome = Finish(state);
        outcome.error = ErrorLogText(error);
        return outcome;
    }
    const unsigned codePage = page->codePage ? page->codePage : GetACP();
    auto state = std::make_shared<PageState>(withSite, page, codePage);
    HostObjects objects;
    ScriptError error;
    const HRESULT made = CreateHostObjects(state, objects);
    if (FAILED(made))
        error = HostError(made, L"The host objects cannot be made.", *page);
    else
        RunScript(*page, codePage, objects, withSite.watch, error);
    for (; state->applicationLocks > 0; --state->applicationLocks)
        withSite.site->applicationLock.unlock();
    if (withSite.watch && withSite.watch->timedOut) {
        state->closed = true;
        PageOutcome outcome;
        outcome.status = 500;
        outcome.error = "script timed out";
        return outcome;
    }
    if (error.raised)
        AnswerError(*state, 500, &error);
    PageOutcome outcome = Finish(*state);
    if (error.raised)
        outcome.error = ErrorLogText(error);
    return outcome;
}
