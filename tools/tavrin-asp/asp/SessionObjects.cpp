// The Session and Application objects: named values kept in the site's
// state between pages (Session per browser, by its ASPSESSIONID cookie),
// Session's ID, timeout and Abandon, Application's Lock and UnLock. The
// session is looked up, or made, on the page's first use of Session.
#include "asp/HostObjects.h"

#include "util/ErrorMacros.h"

#include <new>

namespace {

enum : DISPID
{
    kValue = DISPID_VALUE,
    kContents = 1,
    kSessionId,
    kTimeout,
    kAbandon,
    kCodePage,
    kLcid,
    kLock,
    kUnLock,
};

const MemberName kSessionMembers[] = {
    {L"Value", kValue},     {L"Contents", kContents}, {L"SessionID", kSessionId},
    {L"Timeout", kTimeout}, {L"Abandon", kAbandon},   {L"CodePage", kCodePage},
    {L"LCID", kLcid}};
const MemberName kApplicationMembers[] = {
    {L"Value", kValue}, {L"Contents", kContents}, {L"Lock", kLock}, {L"UnLock", kUnLock}};

std::wstring Text(BSTR text)
{
    return std::wstring(text ? text : L"", SysStringLen(text));
}

// Value(name) and Contents(name), get and put, over a store.
template <class Object>
HRESULT CallValue(Object& object, ValueStore& store, const CallArgs& args, VARIANT* result)
{
    std::wstring name;
    if (args.Count() < 1 || !VariantToText(args[0], name))
        return object.Failure(DISP_E_BADPARAMCOUNT, L"The name of a value is missing.");
    if (const VARIANT* put = args.PutValue())
        return store.Put(name, *put);
    return store.Get(name, result);
}

class SessionObject : public AspObject<ISessionObject>
{
public:
    explicit SessionObject(std::shared_ptr<PageState> state)
        : AspObject(IID_ISessionObject, kSessionMembers, std::size(kSessionMembers),
                    L"Session object"),
          m_state(std::move(state))
    {}

    HRESULT Failure(HRESULT hr, const std::wstring& text) { return Fail(hr, text); }

    STDMETHODIMP get_SessionID(BSTR* id) override
    {
        if (!id)
            return E_POINTER;
        SessionData* session = Session();
        RETURN_HR_IF(Fail(E_UNEXPECTED, kPageEndedText), !session);
        *id = SysAllocString(std::to_wstring(session->sessionId).c_str());
        return *id ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_Value(BSTR name, VARIANT* value) override
    {
        if (!value)
            return E_POINTER;
        VariantInit(value);
        SessionData* session = Session();
        RETURN_HR_IF(Fail(E_UNEXPECTED, kPageEndedText), !session);
        return session->values.Get(Text(name), value);
    }
    STDMETHODIMP put_Value(BSTR name, VARIANT value) override
    {
        SessionData* session = Session();
        RETURN_HR_IF(Fail(E_UNEXPECTED, kPageEndedText), !session);
        return session->values.Put(Text(name), value);
    }
    STDMETHODIMP putref_Value(BSTR name, VARIANT value) override { return put_Value(name, value); }
    STDMETHODIMP get_Timeout(__LONG32* minutes) override
    {
        if (!minutes)
            return E_POINTER;
        SessionData* session = Session();
        RETURN_HR_IF(Fail(E_UNEXPECTED, kPageEndedText), !session);
        *minutes = session->timeoutMinutes;
        return S_OK;
    }
    STDMETHODIMP put_Timeout(__LONG32 minutes) override
    {
        SessionData* session = Session();
        RETURN_HR_IF(Fail(E_UNEXPECTED, kPageEndedText), !session);
        if (minutes < 1)
            return Fail(E_INVALIDARG, L"Session.Timeout must be at least one minute.");
        session->timeoutMinutes = minutes;
        return S_OK;
    }
    STDMETHODIMP Abandon() override
    {
        SessionData* session = Session();
        RETURN_HR_IF(Fail(E_UNEXPECTED, kPageEndedText), !session);
        session->abandoned = true;
        return S_OK;
    }
    STDMETHODIMP get_CodePage(__LONG32* codePage) override
    {
        if (!codePage)
            return E_POINTER;
        *codePage = static_cast<__LONG32>(m_state->codePage);
        return S_OK;
    }
    STDMETHODIMP put_CodePage(__LONG32 codePage) override
    {
        if (!IsValidCodePage(static_cast<UINT>(codePage)))
            return Fail(E_INVALIDARG, L"Session.CodePage: not a code page of this system.");
        m_state->codePage = static_cast<unsigned>(codePage);
        return S_OK;
    }
    STDMETHODIMP get_LCID(__LONG32*) override { return E_NOTIMPL; }
    STDMETHODIMP put_LCID(__LONG32) override { return E_NOTIMPL; }
    STDMETHODIMP get_StaticObjects(IVariantDictionary**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Contents(IVariantDictionary**) override { return E_NOTIMPL; }

protected:
    HRESULT Call(DISPID id, WORD, const CallArgs& args, VARIANT* result) override
    {
        const VARIANT* put = args.PutValue();
        long number = 0;
        switch (id) {
        case kValue:
        case kContents: {
            SessionData* session = Session();
            RETURN_HR_IF(Fail(E_UNEXPECTED, kPageEndedText), !session);
            return CallValue(*this, session->values, args, result);
        }
        case kSessionId:
            result->vt = VT_BSTR;
            return get_SessionID(&result->bstrVal);
        case kTimeout:
        case kCodePage:
            if (!put) {
                result->vt = VT_I4;
                return id == kTimeout ? get_Timeout(&result->lVal) : get_CodePage(&result->lVal);
            }
            if (!VariantToLong(*put, number))
                return Fail(DISP_E_TYPEMISMATCH, L"The value must be a number.");
            return id == kTimeout ? put_Timeout(number) : put_CodePage(number);
        case kAbandon:
            return Abandon();
        }
        return E_NOTIMPL;
    }

private:
    SessionData* Session() { return m_state->closed ? nullptr : m_state->Session().get(); }

    std::shared_ptr<PageState> m_state;
};

class ApplicationObject : public AspObject<IApplicationObject>
{
public:
    explicit ApplicationObject(std::shared_ptr<PageState> state)
        : AspObject(IID_IApplicationObject, kApplicationMembers, std::size(kApplicationMembers),
                    L"Application object"),
          m_state(std::move(state))
    {}

    HRESULT Failure(HRESULT hr, const std::wstring& text) { return Fail(hr, text); }

    STDMETHODIMP get_Value(BSTR name, VARIANT* value) override
    {
        if (!value)
            return E_POINTER;
        VariantInit(value);
        RETURN_IF_FAILED(CheckOpen());
        return Site().application.Get(Text(name), value);
    }
    STDMETHODIMP put_Value(BSTR name, VARIANT value) override
    {
        RETURN_IF_FAILED(CheckOpen());
        return Site().application.Put(Text(name), value);
    }
    STDMETHODIMP putref_Value(BSTR name, VARIANT value) override { return put_Value(name, value); }
    STDMETHODIMP Lock() override
    {
        RETURN_IF_FAILED(CheckOpen());
        Site().applicationLock.lock();
        ++m_state->applicationLocks;
        return S_OK;
    }
    STDMETHODIMP UnLock() override
    {
        RETURN_IF_FAILED(CheckOpen());
        if (m_state->applicationLocks == 0)
            return S_OK;
        --m_state->applicationLocks;
        Site().applicationLock.unlock();
        return S_OK;
    }
    STDMETHODIMP get_StaticObjects(IVariantDictionary**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Contents(IVariantDictionary**) override { return E_NOTIMPL; }

protected:
    HRESULT Call(DISPID id, WORD, const CallArgs& args, VARIANT* result) override
    {
        switch (id) {
        case kValue:
        case kContents:
            RETURN_IF_FAILED(CheckOpen());
            return CallValue(*this, Site().application, args, result);
        case kLock:
            return Lock();
        case kUnLock:
            return UnLock();
        }
        return E_NOTIMPL;
    }

private:
    HRESULT CheckOpen()
    {
        return m_state->closed || !m_state->request.site ? Fail(E_UNEXPECTED, kPageEndedText)
                                                         : S_OK;
    }
    SiteState& Site() { return *m_state->request.site; }

    std::shared_ptr<PageState> m_state;
};

} // namespace

HRESULT CreateSessionObject(const std::shared_ptr<PageState>& state, ISessionObject** session)
{
    if (!session)
        return E_POINTER;
    *session = new (std::nothrow) SessionObject(state);
    return *session ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateApplicationObject(const std::shared_ptr<PageState>& state,
                                IApplicationObject** application)
{
    if (!application)
        return E_POINTER;
    *application = new (std::nothrow) ApplicationObject(state);
    return *application ? S_OK : E_OUTOFMEMORY;
}
