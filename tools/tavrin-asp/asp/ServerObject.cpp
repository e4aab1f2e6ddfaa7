// The Server object: CreateObject (with the OnStartPage/OnEndPage calls
// that IIS makes on components that have them), MapPath, HTMLEncode,
// URLEncode and ScriptTimeout.
#include "asp/CodePageText.h"
#include "asp/HostObjects.h"
#include "core/UrlCoding.h"

#include "util/ErrorMacros.h"
#include "util/VariantHolder.h"

#include <new>

namespace {

enum : DISPID
{
    kScriptTimeout = 1,
    kCreateObject,
    kHtmlEncode,
    kMapPath,
    kUrlEncode,
};

const MemberName kMembers[] = {{L"ScriptTimeout", kScriptTimeout},
                               {L"CreateObject", kCreateObject},
                               {L"HTMLEncode", kHtmlEncode},
                               {L"MapPath", kMapPath},
                               {L"URLEncode", kUrlEncode}};

// Calls a member by name through IDispatch with the given arguments (last
// first); S_FALSE when the object does not name such a member (whatever
// the failure of GetIDsOfNames).
HRESULT CallByName(IDispatch* object, const wchar_t* name, VARIANT* args, UINT count,
                   EXCEPINFO* exception)
{
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)))
        return S_FALSE;
    DISPPARAMS params = {args, nullptr, count, 0};
    VariantHolder result;
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.Get(),
                          exception, nullptr);
}

class ServerObject : public AspObject<IServer>
{
public:
    ServerObject(std::shared_ptr<PageState> state, std::shared_ptr<PageComponents> components)
        : AspObject(IID_IServer, kMembers, std::size(kMembers), L"Server object"),
          m_state(std::move(state)), m_components(std::move(components))
    {}

    STDMETHODIMP get_ScriptTimeout(__LONG32* seconds) override
    {
        if (!seconds)
            return E_POINTER;
        PageWatch* watch = m_state->closed ? nullptr : m_state->request.watch;
        *seconds = watch ? watch->timeoutSeconds.load() : 90;
        return S_OK;
    }
    STDMETHODIMP put_ScriptTimeout(__LONG32 seconds) override
    {
        RETURN_IF_FAILED(CheckOpen());
        if (seconds <= 0)
            return Fail(E_INVALIDARG,
                        L"Server.ScriptTimeout must be a positive number of seconds.");
        if (PageWatch* watch = m_state->request.watch)
            watch->timeoutSeconds = seconds;
        return S_OK;
    }
    STDMETHODIMP CreateObject(BSTR progId, IDispatch** object) override;
    STDMETHODIMP HTMLEncode(BSTR text, BSTR* encoded) override
    {
        return Copy(HtmlEncode(BstrText(text)), encoded);
    }
    STDMETHODIMP MapPath(BSTR path, BSTR* physical) override;
    STDMETHODIMP URLEncode(BSTR text, BSTR* encoded) override
    {
        RETURN_IF_FAILED(CheckOpen());
        const std::string bytes = UrlEncode(NarrowText(BstrText(text), m_state->codePage));
        return Copy(WidenBytes(bytes, CP_ACP), encoded);
    }
    STDMETHODIMP URLPathEncode(BSTR, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP Execute(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP Transfer(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetLastError(IASPError**) override { return E_NOTIMPL; }

protected:
    HRESULT Call(DISPID id, WORD, const CallArgs& args, VARIANT* result) override
    {
        if (id == kScriptTimeout) {
            long seconds = 0;
            if (!args.PutValue()) {
                result->vt = VT_I4;
                return get_ScriptTimeout(&result->lVal);
            }
            if (!VariantToLong(*args.PutValue(), seconds))
                return Fail(DISP_E_TYPEMISMATCH, L"Server.ScriptTimeout must be a number.");
            return put_ScriptTimeout(seconds);
        }
        std::wstring text;
        if (args.Count() < 1 || !VariantToText(args[0], text))
            return Fail(DISP_E_BADPARAMCOUNT, L"The member needs one text argument.");
        BstrHolder argument(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
        RETURN_IF_NULL_ALLOC(argument.Get());
        switch (id) {
        case kCreateObject:
            result->vt = VT_DISPATCH;
            return CreateObject(argument.Get(), &result->pdispVal);
        case kHtmlEncode:
            result->vt = VT_BSTR;
            return HTMLEncode(argument.Get(), &result->bstrVal);
        case kMapPath:
            result->vt = VT_BSTR;
            return MapPath(argument.Get(), &result->bstrVal);
        case kUrlEncode:
            result->vt = VT_BSTR;
            return URLEncode(argument.Get(), &result->bstrVal);
        }
        return E_NOTIMPL;
    }

private:
    HRESULT CheckOpen() { return m_state->closed ? Fail(E_UNEXPECTED, kPageEndedText) : S_OK; }
    static HRESULT Copy(const std::wstring& text, BSTR* out)
    {
        if (!out)
            return E_POINTER;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    std::shared_ptr<PageState> m_state;
    std::shared_ptr<PageComponents> m_components;
};

STDMETHODIMP ServerObject::CreateObject(BSTR progId, IDispatch** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    RETURN_IF_FAILED(CheckOpen());
    const std::wstring name = BstrText(progId);
    CLSID classId;
    HRESULT hr = CLSIDFromProgID(name.c_str(), &classId);
    if (FAILED(hr))
        return Fail(hr, L"Server.CreateObject: invalid class string \"" + name + L"\".");
    ComPtr<IDispatch> created;
    hr =
        CoCreateInstance(classId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                         IID_IDispatch, reinterpret_cast<void**>(created.ReleaseAndGetAddressOf()));
    if (FAILED(hr))
        return Fail(hr, L"Server.CreateObject failed for \"" + name + L"\".");
    // Components that have OnStartPage receive the page's scripting context.
    VARIANT context;
    context.vt = VT_UNKNOWN;
    context.punkVal = m_components->context;
    EXCEPINFO exception = {};
    hr = CallByName(created.Get(), L"OnStartPage", &context, 1, &exception);
    BstrHolder source(exception.bstrSource), description(exception.bstrDescription),
        help(exception.bstrHelpFile);
    if (hr == S_FALSE) {
        *object = created.Detach();
        return S_OK;
    }
    if (FAILED(hr))
        return Fail(hr, L"OnStartPage of \"" + name + L"\" failed" +
                            (description ? L": " + std::wstring(description.Get()) : L"."));
    m_components->started.push_back(created);
    *object = created.Detach();
    return S_OK;
}

// A path that starts with '/' or '\' is virtual (from the served root);
// others are relative to the page's folder. "." and ".." are resolved; a
// path that would leave the root is refused.
STDMETHODIMP ServerObject::MapPath(BSTR path, BSTR* physical)
{
    if (!physical)
        return E_POINTER;
    *physical = nullptr;
    RETURN_IF_FAILED(CheckOpen());
    std::wstring text = BstrText(path);
    for (wchar_t& c : text)
        c = c == L'\\' ? L'/' : c;
    if (text.find(L':') != std::wstring::npos)
        return Fail(E_INVALIDARG, L"Server.MapPath needs a virtual path, not a physical one.");
    const std::wstring page = WidenBytes(m_state->request.virtualPath, CP_UTF8);
    std::wstring full =
        !text.empty() && text[0] == L'/' ? text : page.substr(0, page.rfind(L'/') + 1) + text;
    std::vector<std::wstring> segments;
    size_t start = 0;
    while (start <= full.size()) {
        size_t end = full.find(L'/', start);
        if (end == std::wstring::npos)
            end = full.size();
        const std::wstring segment = full.substr(start, end - start);
        start = end + 1;
        if (segment.empty() || segment == L".")
            continue;
        if (segment == L"..") {
            if (segments.empty())
                return Fail(E_INVALIDARG, L"Server.MapPath: the path leaves the served folder.");
            segments.pop_back();
            continue;
        }
        segments.push_back(segment);
    }
    std::wstring result = m_state->request.root;
    for (const std::wstring& segment : segments)
        result += L"\\" + segment;
    return Copy(result, physical);
}

} // namespace

HRESULT CreateServerObject(const std::shared_ptr<PageState>& state,
                           const std::shared_ptr<PageComponents>& components, IServer** server)
{
    if (!server)
        return E_POINTER;
    *server = new (std::nothrow) ServerObject(state, components);
    return *server ? S_OK : E_OUTOFMEMORY;
}

void EndComponents(PageComponents& components)
{
    std::vector<ComPtr<IDispatch>> started;
    started.swap(components.started);
    for (const ComPtr<IDispatch>& object : started) {
        EXCEPINFO exception = {};
        CallByName(object.Get(), L"OnEndPage", nullptr, 0, &exception);
        BstrHolder source(exception.bstrSource), description(exception.bstrDescription),
            help(exception.bstrHelpFile);
    }
}
