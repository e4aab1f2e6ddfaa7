// The Session object: named values kept in the site's state between pages
// for one browser (by its ASPSESSIONID cookie), the session's ID, timeout
// and Abandon, and the page's code page. The session is looked up, or made,
// on the page's first use of Session.
#include "asp/HostObjects.h"
#include "asp/ValueMember.h"

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
};

const MemberName kSessionMembers[] = {
    {L"Value", kValue},     {L"Contents", kContents}, {L"SessionID", kSessionId},
    {L"Timeout", kTimeout}, {L"Abandon", kAbandon},   {L"CodePage", kCodePage},
    {L"LCID", kLcid}};

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
        return session->values.Get(BstrText(name), value);
    }
    STDMETHODIMP put_Value(BSTR name, VARIANT value) override
    {
        SessionData* session = Session();
        RETURN_HR_IF(Fail(E_UNEXPECTED, kPageEndedText), !session);
        return session->values.Put(BstrText(name), value);
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

} // namespace

HRESULT CreateSessionObject(const std::shared_ptr<PageState>& state, ISessionObject** session)
{
    if (!session)
        return E_POINTER;
    *session = new (std::nothrow) SessionObject(state);
    return *session ? S_OK : E_OUTOFMEMORY;
}
