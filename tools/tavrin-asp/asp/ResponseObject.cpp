// The Response object and the cookies it sets (IWriteCookie). Text from
// Write is encoded with Response.CodePage; WriteBlock writes the page's
// literal bytes unchanged. End and Redirect stop the script by raising
// kPageEndStatus, which the script site takes for a normal end; later
// writes are dropped (a script that catches the error with On Error Resume
// Next runs on, but sends nothing more).
#include "asp/HostObjects.h"
#include "common/CodePageText.h"
#include "core/HttpDate.h"

#include "core/UrlCoding.h"

#include "util/ErrorMacros.h"
#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <new>

namespace {

enum : DISPID
{
    kBuffer = 1,
    kContentType,
    kExpires,
    kExpiresAbsolute,
    kCookies,
    kStatus,
    kAddHeader,
    kAppendToLog,
    kBinaryWrite,
    kClear,
    kEnd,
    kFlush,
    kRedirect,
    kWrite,
    kWriteBlock,
    kIsClientConnected,
    kCharset,
    kCacheControl,
    kCodePage,
};

const MemberName kMembers[] = {
    {L"Buffer", kBuffer},
    {L"ContentType", kContentType},
    {L"Expires", kExpires},
    {L"ExpiresAbsolute", kExpiresAbsolute},
    {L"Cookies", kCookies},
    {L"Status", kStatus},
    {L"AddHeader", kAddHeader},
    {L"AppendToLog", kAppendToLog},
    {L"BinaryWrite", kBinaryWrite},
    {L"Clear", kClear},
    {L"End", kEnd},
    {L"Flush", kFlush},
    {L"Redirect", kRedirect},
    {L"Write", kWrite},
    {L"WriteBlock", kWriteBlock},
    {L"IsClientConnected", kIsClientConnected},
    {L"Charset", kCharset},
    {L"CacheControl", kCacheControl},
    {L"CodePage", kCodePage},
};

enum : DISPID
{
    kCookieItem = DISPID_VALUE,
    kCookieExpires = 1,
    kCookieDomain,
    kCookiePath,
    kCookieSecure,
    kCookieHasKeys,
};

const MemberName kCookieMembers[] = {{L"Item", kCookieItem},     {L"Expires", kCookieExpires},
                                     {L"Domain", kCookieDomain}, {L"Path", kCookiePath},
                                     {L"Secure", kCookieSecure}, {L"HasKeys", kCookieHasKeys}};

const wchar_t kHeadersSent[] = L"The HTTP headers are already written to the client.";

// Every value a page gives for the response head goes through here: a CR or
// LF would end the header line and let the page's text (often a client's
// text) start headers or a response of its own; other control characters
// break the head for clients as well. A tab is the one allowed.
bool IsHeadText(std::wstring_view text)
{
    for (wchar_t c : text) {
        if ((c < 0x20 && c != L'\t') || c == 0x7F)
            return false;
    }
    return true;
}

// The description of a value that IsHeadText refused, naming the property.
std::wstring HeadTextRefusal(const wchar_t* property)
{
    return std::wstring(property) + L": the value holds a line break or another control "
                                    L"character, which a response head cannot carry.";
}

// An HTTP date of an automation date (taken as UTC).
std::wstring HttpDateOf(DATE date)
{
    SYSTEMTIME time;
    if (!VariantTimeToSystemTime(date, &time))
        return std::wstring();
    const std::string text =
        HttpDate({time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond});
    return std::wstring(text.begin(), text.end());
}

// The base of the objects that write the response head (Response and its
// cookies): a value set after the page ended or after the head went out is
// refused, and so is one that the head cannot carry.
template <class Interface> class HeadWriter : public AspObject<Interface>
{
protected:
    HeadWriter(const IID& iid, const MemberName* members, size_t memberCount,
               std::shared_ptr<PageState> state)
        : AspObject<Interface>(iid, members, memberCount, L"Response object"),
          m_state(std::move(state))
    {}

    HRESULT CheckOpen()
    {
        return m_state->closed ? this->Fail(E_UNEXPECTED, kPageEndedText) : S_OK;
    }
    HRESULT CheckHead()
    {
        RETURN_IF_FAILED(CheckOpen());
        return m_state->headSent ? this->Fail(E_FAIL, kHeadersSent) : S_OK;
    }
    // Sets target to value when the head is still open and may carry it; a
    // refusal names property and leaves target as it was.
    HRESULT SetHeadText(BSTR value, const wchar_t* property, std::wstring& target)
    {
        RETURN_IF_FAILED(CheckHead());
        std::wstring text = BstrText(value);
        if (!IsHeadText(text))
            return this->Fail(E_INVALIDARG, HeadTextRefusal(property));
        target = std::move(text);
        return S_OK;
    }

    std::shared_ptr<PageState> m_state;
};

class WriteCookie : public HeadWriter<IWriteCookie>
{
public:
    WriteCookie(std::shared_ptr<PageState> state, std::shared_ptr<ResponseCookie> cookie)
        : HeadWriter(IID_IWriteCookie, kCookieMembers, std::size(kCookieMembers), std::move(state)),
          m_cookie(std::move(cookie))
    {}

    // With a key, the value becomes one of the cookie's "key=value" pairs.
    STDMETHODIMP put_Item(VARIANT key, BSTR value) override
    {
        RETURN_IF_FAILED(CheckHead());
        std::wstring name;
        if (key.vt == VT_ERROR || key.vt == VT_EMPTY || !VariantToText(key, name) || name.empty()) {
            m_cookie->value = BstrText(value);
            m_cookie->keys.clear();
            return S_OK;
        }
        for (auto& [existing, text] : m_cookie->keys) {
            if (lstrcmpiW(existing.c_str(), name.c_str()) == 0) {
                text = BstrText(value);
                return S_OK;
            }
        }
        m_cookie->keys.emplace_back(name, BstrText(value));
        return S_OK;
    }
    STDMETHODIMP put_Expires(DATE expires) override
    {
        RETURN_IF_FAILED(CheckHead());
        m_cookie->expires = HttpDateOf(expires);
        return S_OK;
    }
    STDMETHODIMP put_Domain(BSTR domain) override
    {
        return SetHeadText(domain, L"Response.Cookies: Domain", m_cookie->domain);
    }
    STDMETHODIMP put_Path(BSTR path) override
    {
        return SetHeadText(path, L"Response.Cookies: Path", m_cookie->path);
    }
    STDMETHODIMP put_Secure(VARIANT_BOOL secure) override
    {
        RETURN_IF_FAILED(CheckHead());
        m_cookie->secure = secure != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_HasKeys(VARIANT_BOOL* hasKeys) override
    {
        if (!hasKeys)
            return E_POINTER;
        *hasKeys = m_cookie->keys.empty() ? VARIANT_FALSE : VARIANT_TRUE;
        return S_OK;
    }
    STDMETHODIMP get__NewEnum(IUnknown**) override { return E_NOTIMPL; }

protected:
    HRESULT Call(DISPID id, WORD, const CallArgs& args, VARIANT* result) override
    {
        const VARIANT* put = args.PutValue();
        if (id == kCookieHasKeys) {
            result->vt = VT_BOOL;
            return get_HasKeys(&result->boolVal);
        }
        if (!put)
            return Fail(DISP_E_MEMBERNOTFOUND, L"Response cookies can only be set.");
        std::wstring text;
        if (id != kCookieExpires && !VariantToText(*put, text))
            return Fail(DISP_E_TYPEMISMATCH, L"A cookie value must be text.");
        BstrHolder value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
        switch (id) {
        case kCookieItem: {
            VARIANT none;
            none.vt = VT_EMPTY;
            return put_Item(args.Count() > 0 ? args[0] : none, value.Get());
        }
        case kCookieExpires: {
            VariantHolder date;
            if (FAILED(VariantChangeType(date.Get(), const_cast<VARIANT*>(put), 0, VT_DATE)))
                return Fail(DISP_E_TYPEMISMATCH, L"Cookie Expires must be a date.");
            return put_Expires(date->date);
        }
        case kCookieDomain:
            return put_Domain(value.Get());
        case kCookiePath:
            return put_Path(value.Get());
        case kCookieSecure: {
            long secure = 0;
            VariantToLong(*put, secure);
            return put_Secure(secure ? VARIANT_TRUE : VARIANT_FALSE);
        }
        }
        return E_NOTIMPL;
    }

private:
    std::shared_ptr<ResponseCookie> m_cookie;
};

class ResponseObject : public HeadWriter<IResponse>
{
public:
    explicit ResponseObject(std::shared_ptr<PageState> state)
        : HeadWriter(IID_IResponse, kMembers, std::size(kMembers), std::move(state))
    {}

    STDMETHODIMP get_Buffer(VARIANT_BOOL* buffering) override
    {
        if (!buffering)
            return E_POINTER;
        *buffering = m_state->buffering ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP put_Buffer(VARIANT_BOOL buffering) override
    {
        RETURN_IF_FAILED(CheckHead());
        m_state->buffering = buffering != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_ContentType(BSTR* type) override { return Copy(m_state->contentType, type); }
    STDMETHODIMP put_ContentType(BSTR type) override
    {
        return SetHeadText(type, L"Response.ContentType", m_state->contentType);
    }
    STDMETHODIMP get_Expires(VARIANT* minutes) override
    {
        if (!minutes)
            return E_POINTER;
        VariantInit(minutes);
        if (m_state->expiresSet) {
            minutes->vt = VT_I4;
            minutes->lVal = m_state->expiresMinutes;
        }
        return S_OK;
    }
    STDMETHODIMP put_Expires(__LONG32 minutes) override
    {
        RETURN_IF_FAILED(CheckHead());
        m_state->expiresSet = true;
        m_state->expiresMinutes = minutes;
        return S_OK;
    }
    STDMETHODIMP get_ExpiresAbsolute(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP put_ExpiresAbsolute(DATE) override { return E_NOTIMPL; }
    STDMETHODIMP get_Cookies(IRequestDictionary**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Status(BSTR* status) override
    {
        return Copy(WidenBytes(m_state->statusLine, CP_ACP), status);
    }
    STDMETHODIMP put_Status(BSTR status) override
    {
        RETURN_IF_FAILED(CheckHead());
        const std::wstring text = BstrText(status);
        if (!IsHeadText(text))
            return Fail(E_INVALIDARG, HeadTextRefusal(L"Response.Status"));
        const std::string line = NarrowText(text, CP_ACP);
        const int code = atoi(line.c_str());
        if (code < 100 || code > 999)
            return Fail(E_INVALIDARG, L"Response.Status must start with a three-digit code.");
        m_state->status = code;
        m_state->statusLine = line.find(' ') == std::string::npos ? StatusText(code) : line;
        return S_OK;
    }
    STDMETHODIMP Add(BSTR value, BSTR name) override { return AddHeader(name, value); }
    STDMETHODIMP AddHeader(BSTR name, BSTR value) override
    {
        RETURN_IF_FAILED(CheckHead());
        const std::wstring header = BstrText(name), text = BstrText(value);
        if (header.empty() || header.find_first_of(L": \t") != std::wstring::npos ||
            !IsHeadText(header))
            return Fail(E_INVALIDARG, L"Response.AddHeader: the name is not a valid header name.");
        if (!IsHeadText(text))
            return Fail(E_INVALIDARG, HeadTextRefusal(L"Response.AddHeader"));
        m_state->headers.emplace_back(header, text);
        return S_OK;
    }
    STDMETHODIMP AppendToLog(BSTR) override { return S_OK; }
    STDMETHODIMP BinaryWrite(VARIANT data) override
    {
        RETURN_IF_FAILED(CheckOpen());
        const VARIANT* value = data.vt == (VT_BYREF | VT_VARIANT) ? data.pvarVal : &data;
        if (value->vt == VT_BSTR) {
            m_state->Write(std::string_view(reinterpret_cast<const char*>(value->bstrVal),
                                            SysStringByteLen(value->bstrVal)));
            return S_OK;
        }
        SAFEARRAY* array = value->vt == (VT_ARRAY | VT_UI1)              ? value->parray
                           : value->vt == (VT_BYREF | VT_ARRAY | VT_UI1) ? *value->pparray
                                                                         : nullptr;
        if (value->vt == VT_EMPTY || value->vt == VT_NULL)
            return S_OK;
        if (!array || SafeArrayGetDim(array) != 1)
            return Fail(DISP_E_TYPEMISMATCH, L"BinaryWrite needs an array of bytes.");
        LONG low = 0, high = -1;
        SafeArrayGetLBound(array, 1, &low);
        SafeArrayGetUBound(array, 1, &high);
        if (high < low)
            return S_OK;
        SafeArrayDataLock lock(array);
        RETURN_IF_FAILED(lock.Status());
        m_state->Write(std::string_view(static_cast<const char*>(lock.Data()),
                                        static_cast<size_t>(high - low + 1)));
        return S_OK;
    }
    STDMETHODIMP Clear() override
    {
        RETURN_IF_FAILED(CheckOpen());
        if (!m_state->buffering)
            return Fail(E_FAIL, L"Response.Clear: buffering is off.");
        m_state->Clear();
        return S_OK;
    }
    STDMETHODIMP End() override
    {
        RETURN_IF_FAILED(CheckOpen());
        m_state->ended = true;
        return kPageEndStatus;
    }
    STDMETHODIMP Flush() override
    {
        RETURN_IF_FAILED(CheckOpen());
        if (!m_state->ended)
            m_state->Flush();
        return S_OK;
    }
    STDMETHODIMP Redirect(BSTR url) override
    {
        RETURN_IF_FAILED(CheckHead());
        const std::wstring target = BstrText(url);
        if (!IsHeadText(target))
            return Fail(E_INVALIDARG, HeadTextRefusal(L"Response.Redirect"));
        m_state->Clear();
        m_state->status = 302;
        m_state->statusLine = "302 Object moved";
        m_state->headers.emplace_back(L"Location", target);
        m_state->WriteText(L"<head><title>Object moved</title></head><body><h1>Object Moved</h1>"
                           L"This object may be found <a HREF=\"" +
                           HtmlEncode(target) + L"\">here</a>.</body>\r\n");
        m_state->ended = true;
        return kPageEndStatus;
    }
    STDMETHODIMP Write(VARIANT value) override
    {
        RETURN_IF_FAILED(CheckOpen());
        std::wstring text;
        if (!VariantToText(value, text))
            return Fail(DISP_E_TYPEMISMATCH, L"Response.Write: the value has no text form.");
        m_state->WriteText(text);
        return S_OK;
    }
    STDMETHODIMP WriteBlock(short block) override
    {
        RETURN_IF_FAILED(CheckOpen());
        const auto& blocks = m_state->page->blocks;
        if (block < 0 || static_cast<size_t>(block) >= blocks.size())
            return Fail(E_INVALIDARG, L"Response.WriteBlock: no such block.");
        m_state->Write(blocks[static_cast<size_t>(block)]);
        return S_OK;
    }
    STDMETHODIMP IsClientConnected(VARIANT_BOOL* connected) override
    {
        if (!connected)
            return E_POINTER;
        RETURN_IF_FAILED(CheckOpen());
        RequestBody* body = m_state->request.body;
        *connected = !body || body->ClientConnected() ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_CharSet(BSTR* charset) override { return Copy(m_state->charset, charset); }
    STDMETHODIMP put_CharSet(BSTR charset) override
    {
        return SetHeadText(charset, L"Response.Charset", m_state->charset);
    }
    STDMETHODIMP Pics(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_CacheControl(BSTR* value) override
    {
        return Copy(m_state->cacheControl, value);
    }
    STDMETHODIMP put_CacheControl(BSTR value) override
    {
        return SetHeadText(value, L"Response.CacheControl", m_state->cacheControl);
    }

protected:
    HRESULT Call(DISPID id, WORD, const CallArgs& args, VARIANT* result) override;

private:
    static HRESULT Copy(const std::wstring& text, BSTR* out)
    {
        if (!out)
            return E_POINTER;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT TextMember(DISPID id, const CallArgs& args, VARIANT* result);
    HRESULT Cookie(const CallArgs& args, VARIANT* result);
};

HRESULT ResponseObject::Call(DISPID id, WORD, const CallArgs& args, VARIANT* result)
{
    const VARIANT* put = args.PutValue();
    VARIANT none;
    none.vt = VT_EMPTY;
    const VARIANT& first = args.Count() > 0 ? args[0] : none;
    long number = 0;
    switch (id) {
    case kContentType:
    case kStatus:
    case kCharset:
    case kCacheControl:
        return TextMember(id, args, result);
    case kBuffer:
        if (!put) {
            result->vt = VT_BOOL;
            return get_Buffer(&result->boolVal);
        }
        VariantToLong(*put, number);
        return put_Buffer(number ? VARIANT_TRUE : VARIANT_FALSE);
    case kExpires:
        if (!put)
            return get_Expires(result);
        if (!VariantToLong(*put, number))
            return Fail(DISP_E_TYPEMISMATCH, L"Response.Expires must be a number of minutes.");
        return put_Expires(number);
    case kCodePage:
        if (!put) {
            result->vt = VT_I4;
            result->lVal = static_cast<long>(m_state->codePage);
            return S_OK;
        }
        if (!VariantToLong(*put, number) || !IsValidCodePage(static_cast<UINT>(number)))
            return Fail(E_INVALIDARG, L"Response.CodePage: not a code page of this system.");
        m_state->codePage = static_cast<unsigned>(number);
        return S_OK;
    case kCookies:
        return Cookie(args, result);
    case kAddHeader:
    case kAppendToLog: {
        std::wstring name, value;
        if (args.Count() < (id == kAddHeader ? 2u : 1u) || !VariantToText(first, name) ||
            (id == kAddHeader && !VariantToText(args[1], value)))
            return Fail(DISP_E_BADPARAMCOUNT, L"Wrong arguments.");
        if (id == kAppendToLog)
            return S_OK;
        // By length: a NUL inside a value must reach the check, not end the value.
        BstrHolder n(SysAllocStringLen(name.data(), static_cast<UINT>(name.size())));
        BstrHolder v(SysAllocStringLen(value.data(), static_cast<UINT>(value.size())));
        RETURN_IF_NULL_ALLOC(n.Get());
        RETURN_IF_NULL_ALLOC(v.Get());
        return AddHeader(n.Get(), v.Get());
    }
    case kBinaryWrite:
        return BinaryWrite(first);
    case kWrite:
        return Write(first);
    case kClear:
        return Clear();
    case kEnd:
        return End();
    case kFlush:
        return Flush();
    case kWriteBlock:
        if (!VariantToLong(first, number) || number < 0 || number > 0x7FFF)
            return Fail(E_INVALIDARG, L"Response.WriteBlock: no such block.");
        return WriteBlock(static_cast<short>(number));
    case kRedirect: {
        std::wstring url;
        if (!VariantToText(first, url))
            return Fail(DISP_E_TYPEMISMATCH, L"Response.Redirect needs a URL.");
        BstrHolder text(SysAllocStringLen(url.data(), static_cast<UINT>(url.size())));
        RETURN_IF_NULL_ALLOC(text.Get());
        return Redirect(text.Get());
    }
    case kIsClientConnected:
        result->vt = VT_BOOL;
        return IsClientConnected(&result->boolVal);
    }
    return E_NOTIMPL;
}

HRESULT ResponseObject::TextMember(DISPID id, const CallArgs& args, VARIANT* result)
{
    const VARIANT* put = args.PutValue();
    if (!put) {
        result->vt = VT_BSTR;
        switch (id) {
        case kContentType:
            return get_ContentType(&result->bstrVal);
        case kStatus:
            return get_Status(&result->bstrVal);
        case kCharset:
            return get_CharSet(&result->bstrVal);
        default:
            return get_CacheControl(&result->bstrVal);
        }
    }
    std::wstring text;
    if (!VariantToText(*put, text))
        return Fail(DISP_E_TYPEMISMATCH, L"The value must be text.");
    BstrHolder value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
    RETURN_IF_NULL_ALLOC(value.Get());
    switch (id) {
    case kContentType:
        return put_ContentType(value.Get());
    case kStatus:
        return put_Status(value.Get());
    case kCharset:
        return put_CharSet(value.Get());
    default:
        return put_CacheControl(value.Get());
    }
}

// Response.Cookies("name") = value, and Response.Cookies("name") for its
// attributes (Expires, Path, Domain, Secure, a key's value).
HRESULT ResponseObject::Cookie(const CallArgs& args, VARIANT* result)
{
    RETURN_IF_FAILED(CheckHead());
    std::wstring name;
    if (args.Count() < 1 || !VariantToText(args[0], name) || name.empty())
        return Fail(DISP_E_BADPARAMCOUNT, L"Response.Cookies needs the name of a cookie.");
    std::shared_ptr<ResponseCookie> cookie;
    for (const auto& existing : m_state->cookies) {
        if (lstrcmpiW(existing->name.c_str(), name.c_str()) == 0)
            cookie = existing;
    }
    if (!cookie) {
        cookie = std::make_shared<ResponseCookie>();
        cookie->name = name;
        m_state->cookies.push_back(cookie);
    }
    ComPtr<IWriteCookie> writer;
    writer.Attach(new (std::nothrow) WriteCookie(m_state, cookie));
    RETURN_IF_NULL_ALLOC(writer.Get());
    if (const VARIANT* put = args.PutValue()) {
        std::wstring text;
        if (!VariantToText(*put, text))
            return Fail(DISP_E_TYPEMISMATCH, L"A cookie value must be text.");
        BstrHolder value(SysAllocStringLen(text.data(), static_cast<UINT>(text.size())));
        VARIANT key;
        key.vt = VT_EMPTY;
        if (args.Count() > 1)
            key = args[1];
        return writer->put_Item(key, value.Get());
    }
    result->vt = VT_DISPATCH;
    result->pdispVal = writer.Detach();
    return S_OK;
}

} // namespace

HRESULT CreateResponseObject(const std::shared_ptr<PageState>& state, IResponse** response)
{
    if (!response)
        return E_POINTER;
    *response = new (std::nothrow) ResponseObject(state);
    return *response ? S_OK : E_OUTOFMEMORY;
}
