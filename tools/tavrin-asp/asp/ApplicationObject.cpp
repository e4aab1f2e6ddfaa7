// The Application object: named values shared by every page of the served
// folder for the life of the process, and Lock and UnLock, which a page
// holds at most until it ends.
#include "asp/HostObjects.h"
#include "asp/ValueMember.h"

#include "util/ErrorMacros.h"

#include <new>

namespace {

enum : DISPID
{
    kValue = DISPID_VALUE,
    kContents = 1,
    kLock,
    kUnLock,
};

const MemberName kApplicationMembers[] = {
    {L"Value", kValue}, {L"Contents", kContents}, {L"Lock", kLock}, {L"UnLock", kUnLock}};

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
        return Site().application.Get(BstrText(name), value);
    }
    STDMETHODIMP put_Value(BSTR name, VARIANT value) override
    {
        RETURN_IF_FAILED(CheckOpen());
        return Site().application.Put(BstrText(name), value);
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

HRESULT CreateApplicationObject(const std::shared_ptr<PageState>& state,
                                IApplicationObject** application)
{
    if (!application)
        return E_POINTER;
    *application = new (std::nothrow) ApplicationObject(state);
    return *application ? S_OK : E_OUTOFMEMORY;
}
