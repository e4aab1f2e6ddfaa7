// The Request object: the request's collections (QueryString, Form,
// ServerVariables, Cookies; Request("name") looks in them in IIS's order),
// TotalBytes and BinaryRead. The body is read from the connection only as
// the page asks: BinaryRead takes what it is asked for, Form reads the rest
// of the body once. A page uses one or the other, as in IIS.
#include "asp/CodePageText.h"
#include "asp/HostObjects.h"
#include "asp/PhysicalPath.h"
#include "asp/RequestDictionary.h"
#include "core/RequestLimits.h"

#include "util/ErrorMacros.h"
#include "util/SafeArrayHolder.h"

#include <new>

namespace {

enum : DISPID
{
    kItem = DISPID_VALUE,
    kQueryString = 1,
    kForm,
    kBody,
    kServerVariables,
    kClientCertificate,
    kCookies,
    kTotalBytes,
    kBinaryRead,
};

const MemberName kMembers[] = {
    {L"Item", kItem},
    {L"QueryString", kQueryString},
    {L"Form", kForm},
    {L"Body", kBody},
    {L"ServerVariables", kServerVariables},
    {L"ClientCertificate", kClientCertificate},
    {L"Cookies", kCookies},
    {L"TotalBytes", kTotalBytes},
    {L"BinaryRead", kBinaryRead},
};

const wchar_t kFormAfterBinaryRead[] =
    L"Cannot use the Request.Form collection after calling BinaryRead.";
const wchar_t kBinaryReadAfterForm[] =
    L"Cannot call BinaryRead after using the Request.Form collection.";

bool StartsWithNoCase(const std::string& text, const char* prefix)
{
    const size_t length = strlen(prefix);
    return text.size() >= length && _strnicmp(text.c_str(), prefix, length) == 0;
}

class RequestObject : public AspObject<IRequest>
{
public:
    explicit RequestObject(std::shared_ptr<PageState> state)
        : AspObject(IID_IRequest, kMembers, std::size(kMembers), L"Request object"),
          m_state(std::move(state))
    {}

    STDMETHODIMP get_Item(BSTR name, IDispatch** result) override
    {
        if (!result)
            return E_POINTER;
        *result = nullptr;
        ComPtr<IStringList> list;
        RETURN_IF_FAILED(LookUp(std::wstring(name ? name : L"", SysStringLen(name)),
                                list.ReleaseAndGetAddressOf()));
        return list->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(result));
    }
    STDMETHODIMP get_QueryString(IRequestDictionary** result) override
    {
        RETURN_IF_FAILED(CheckOpen());
        return CreateRequestDictionary(QueryString(), result);
    }
    STDMETHODIMP get_Form(IRequestDictionary** result) override
    {
        RETURN_IF_FAILED(LoadForm());
        return CreateRequestDictionary(m_form, result);
    }
    STDMETHODIMP get_Body(IRequestDictionary**) override { return E_NOTIMPL; }
    STDMETHODIMP get_ServerVariables(IRequestDictionary** result) override
    {
        RETURN_IF_FAILED(CheckOpen());
        return CreateRequestDictionary(ServerVariables(), result);
    }
    STDMETHODIMP get_ClientCertificate(IRequestDictionary** result) override
    {
        return CreateRequestDictionary(DictionaryContent(), result);
    }
    STDMETHODIMP get_Cookies(IRequestDictionary** result) override
    {
        RETURN_IF_FAILED(CheckOpen());
        return CreateRequestDictionary(Cookies(), result);
    }
    STDMETHODIMP get_TotalBytes(__LONG32* total) override
    {
        if (!total)
            return E_POINTER;
        RETURN_IF_FAILED(CheckOpen());
        const uint64_t length = m_state->request.contentLength;
        *total = static_cast<__LONG32>(length > 0x7FFFFFFF ? 0x7FFFFFFF : length);
        return S_OK;
    }
    STDMETHODIMP BinaryRead(VARIANT* count, VARIANT* result) override
    {
        if (!count || !result)
            return E_POINTER;
        VariantInit(result);
        RETURN_IF_FAILED(CheckOpen());
        VARIANT* target = count->vt == (VT_BYREF | VT_VARIANT) ? count->pvarVal : count;
        long asked = 0;
        if (!VariantToLong(*target, asked) || asked < 0)
            return Fail(E_INVALIDARG, L"BinaryRead: the byte count must be a number of 0 or more.");
        if (m_state->bodyUse == BodyUse::Form)
            return Fail(E_FAIL, kBinaryReadAfterForm);
        m_state->bodyUse = BodyUse::BinaryRead;
        // The bytes go straight from the connection into the array.
        const uint64_t wanted = std::min<uint64_t>(static_cast<uint64_t>(asked), m_state->bodyLeft);
        SafeArrayHolder array(SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(wanted)));
        RETURN_IF_NULL_ALLOC(array.Get());
        size_t done = 0;
        if (wanted > 0) {
            SafeArrayDataLock lock(array.Get());
            RETURN_IF_FAILED(lock.Status());
            RETURN_IF_FAILED(ReadInto(static_cast<char*>(lock.Data()), wanted, done));
        }
        if (done < wanted) {
            SAFEARRAYBOUND bound = {static_cast<ULONG>(done), 0};
            RETURN_IF_FAILED(SafeArrayRedim(array.Get(), &bound));
        }
        result->vt = VT_ARRAY | VT_UI1;
        result->parray = array.Detach();
        WriteBackCount(count, static_cast<long>(done));
        return S_OK;
    }

protected:
    HRESULT Call(DISPID id, WORD, const CallArgs& args, VARIANT* result) override
    {
        switch (id) {
        case kItem:
            return LookUp(args, result);
        case kQueryString:
        case kForm:
        case kServerVariables:
        case kClientCertificate:
        case kCookies:
            return Collection(id, args, result);
        case kTotalBytes:
            result->vt = VT_I4;
            return get_TotalBytes(&result->lVal);
        case kBinaryRead: {
            if (args.Count() < 1)
                return Fail(DISP_E_BADPARAMCOUNT, L"BinaryRead needs a byte count.");
            return BinaryRead(args.Raw(0), result);
        }
        }
        return E_NOTIMPL;
    }

private:
    HRESULT CheckOpen() { return m_state->closed ? Fail(E_UNEXPECTED, kPageEndedText) : S_OK; }

    HRESULT Collection(DISPID id, const CallArgs& args, VARIANT* result)
    {
        ComPtr<IRequestDictionary> dictionary;
        HRESULT hr = E_NOTIMPL;
        switch (id) {
        case kQueryString:
            hr = get_QueryString(dictionary.ReleaseAndGetAddressOf());
            break;
        case kForm:
            hr = get_Form(dictionary.ReleaseAndGetAddressOf());
            break;
        case kServerVariables:
            hr = get_ServerVariables(dictionary.ReleaseAndGetAddressOf());
            break;
        case kClientCertificate:
            hr = get_ClientCertificate(dictionary.ReleaseAndGetAddressOf());
            break;
        case kCookies:
            hr = get_Cookies(dictionary.ReleaseAndGetAddressOf());
            break;
        }
        RETURN_IF_FAILED(hr);
        if (args.Count() > 0)
            return dictionary->get_Item(args[0], result);
        result->vt = VT_DISPATCH;
        result->pdispVal = dictionary.Detach();
        return S_OK;
    }

    HRESULT LookUp(const CallArgs& args, VARIANT* result)
    {
        std::wstring name;
        if (args.Count() < 1)
            return Fail(DISP_E_BADPARAMCOUNT, L"Request needs the name of an item.");
        if (!VariantToText(args[0], name))
            return Fail(DISP_E_TYPEMISMATCH, L"Request: the name of an item must be text.");
        ComPtr<IStringList> list;
        RETURN_IF_FAILED(LookUp(name, list.ReleaseAndGetAddressOf()));
        result->vt = VT_DISPATCH;
        return list->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&result->pdispVal));
    }

    // Request("name"): QueryString, Form, Cookies, ClientCertificate,
    // ServerVariables, the first that has the name; an empty list when none.
    HRESULT LookUp(const std::wstring& name, IStringList** list)
    {
        RETURN_IF_FAILED(CheckOpen());
        const DictionaryItem* item = nullptr;
        DictionaryContent query = QueryString(), cookies = Cookies(), variables;
        if (!(item = query.Find(name))) {
            RETURN_IF_FAILED(LoadForm());
            item = m_form.Find(name);
        }
        if (!item)
            item = cookies.Find(name);
        if (!item) {
            variables = ServerVariables();
            item = variables.Find(name);
        }
        return CreateStringList(item ? item->values : std::vector<std::wstring>(), list);
    }

    DictionaryContent QueryString() const
    {
        const std::string& query = m_state->request.head->query;
        DictionaryContent content = ContentOf(ParseUrlEncoded(query), m_state->codePage);
        content.whole = WidenBytes(query, m_state->codePage);
        return content;
    }

    DictionaryContent Cookies() const
    {
        const std::string* header = RequestHeader(m_state->request, "Cookie");
        return header ? ContentOf(ParseCookieHeader(*header), m_state->codePage)
                      : DictionaryContent();
    }

    DictionaryContent ServerVariables() const;

    // Reads the rest of the body once and parses it when it is
    // application/x-www-form-urlencoded.
    HRESULT LoadForm()
    {
        RETURN_IF_FAILED(CheckOpen());
        if (m_state->bodyUse == BodyUse::BinaryRead)
            return Fail(E_FAIL, kFormAfterBinaryRead);
        if (m_state->bodyUse == BodyUse::Form)
            return S_OK;
        m_state->bodyUse = BodyUse::Form;
        std::string body;
        RETURN_IF_FAILED(ReadBody(m_state->bodyLeft, body));
        const std::string* type = RequestHeader(m_state->request, "Content-Type");
        if (type && StartsWithNoCase(*type, "application/x-www-form-urlencoded"))
            m_form = ContentOf(ParseUrlEncoded(body), m_state->codePage);
        m_form.whole = WidenBytes(body, m_state->codePage);
        return S_OK;
    }

    // Up to count bytes of the body; fewer only at its end.
    HRESULT ReadBody(uint64_t count, std::string& bytes)
    {
        count = std::min(count, m_state->bodyLeft);
        // The host refuses such bodies before a page runs; a count that does
        // not fit a size_t must never become a smaller buffer.
        if (!FitsSizeT(count))
            return Fail(E_OUTOFMEMORY, L"The request body is too large to hold in memory.");
        bytes.resize(static_cast<size_t>(count));
        size_t done = 0;
        const HRESULT hr = ReadInto(bytes.data(), count, done);
        bytes.resize(done);
        return hr;
    }

    // Reads count bytes (at most what is left) into target; done tells how
    // many came, fewer only when the body ends or the client leaves.
    HRESULT ReadInto(char* target, uint64_t count, size_t& done)
    {
        count = std::min(count, m_state->bodyLeft);
        RequestBody* body = m_state->request.body;
        done = 0;
        while (body && done < count) {
            const uint32_t chunk =
                static_cast<uint32_t>(std::min<uint64_t>(count - done, 1u << 30));
            const int64_t got = body->Read(target + done, chunk);
            // A client that leaves in the middle of a read still gets its
            // bytes delivered; IsClientConnected then reports it gone.
            if (got < 0 && done == 0)
                return Fail(HRESULT_FROM_WIN32(ERROR_NETNAME_DELETED),
                            L"The client disconnected while the request body was read.");
            if (got <= 0)
                break;
            done += static_cast<size_t>(got);
        }
        m_state->bodyLeft -= done;
        if (done < count)
            m_state->bodyLeft = 0;
        return S_OK;
    }

    static void WriteBackCount(VARIANT* count, long done)
    {
        if (count->vt == (VT_BYREF | VT_VARIANT))
            count = count->pvarVal;
        switch (count->vt) {
        case VT_BYREF | VT_I4:
            *count->plVal = done;
            return;
        case VT_BYREF | VT_I2:
            *count->piVal = static_cast<SHORT>(done);
            return;
        case VT_BYREF | VT_R8:
            *count->pdblVal = done;
            return;
        }
        if (count->vt & VT_BYREF)
            return;
        VariantClear(count);
        count->vt = VT_I4;
        count->lVal = done;
    }

    std::shared_ptr<PageState> m_state;
    DictionaryContent m_form;
};

DictionaryContent RequestObject::ServerVariables() const
{
    const PageRequest& request = m_state->request;
    const HttpHead& head = *request.head;
    const unsigned page = m_state->codePage;
    const std::wstring path = WidenBytes(request.virtualPath, CP_UTF8);
    const std::string* type = head.Find("Content-Type");
    std::wstring physical;
    PhysicalPath(request.root, request.virtualPath, physical);
    DictionaryContent content;
    content.Add(L"REQUEST_METHOD", WidenBytes(head.method, CP_ACP));
    content.Add(L"CONTENT_TYPE", type ? WidenBytes(*type, page) : L"");
    content.Add(L"CONTENT_LENGTH", std::to_wstring(request.contentLength));
    content.Add(L"QUERY_STRING", WidenBytes(head.query, page));
    content.Add(L"PATH_INFO", path);
    content.Add(L"SCRIPT_NAME", path);
    content.Add(L"URL", path);
    content.Add(L"PATH_TRANSLATED", physical);
    content.Add(L"APPL_PHYSICAL_PATH", request.root + L"\\");
    content.Add(L"SERVER_NAME", WidenBytes(request.serverName, CP_ACP));
    content.Add(L"SERVER_PORT", std::to_wstring(request.serverPort));
    content.Add(L"SERVER_PROTOCOL", L"HTTP/1." + std::to_wstring(head.versionMinor));
    content.Add(L"SERVER_SOFTWARE", L"tavrin-asp");
    content.Add(L"REMOTE_ADDR", WidenBytes(request.remoteAddress, CP_ACP));
    content.Add(L"REMOTE_HOST", WidenBytes(request.remoteAddress, CP_ACP));
    content.Add(L"HTTPS", L"off");
    std::wstring all;
    for (const HttpHeader& header : head.headers) {
        std::wstring name = L"HTTP_" + WidenBytes(header.name, CP_ACP);
        for (wchar_t& c : name)
            c = c == L'-' ? L'_' : static_cast<wchar_t>(towupper(c));
        const std::wstring value = WidenBytes(header.value, page);
        content.Add(name, value);
        all += name + L":" + value + L"\n";
    }
    content.Add(L"ALL_HTTP", all);
    return content;
}

} // namespace

HRESULT CreateRequestObject(const std::shared_ptr<PageState>& state, IRequest** request)
{
    if (!request)
        return E_POINTER;
    *request = new (std::nothrow) RequestObject(state);
    return *request ? S_OK : E_OUTOFMEMORY;
}
