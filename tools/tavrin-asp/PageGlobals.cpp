// The page's one named item: an object whose members are the five host
// objects, added to the engine with SCRIPTITEM_GLOBALMEMBERS so that the
// script sees Request, Response, Server, Session and Application as globals.
// Wine's engines cannot call a named item itself with arguments, so
// Request("x") or Session("x") = v would fail if the five were named items;
// as members of this object, such a call reaches Invoke here, which hands it
// (arguments, flags and all) to the object's default member.
#include "HostObjects.h"

namespace {

const MemberName kMembers[] = {
    {L"Request", 1}, {L"Response", 2}, {L"Server", 3}, {L"Session", 4}, {L"Application", 5}};

class PageGlobals : public AspObject<IDispatch>
{
public:
    explicit PageGlobals(const HostObjects& objects)
        : AspObject(IID_IDispatch, kMembers, std::size(kMembers), L"tavrin-asp"), m_objects(objects)
    {}

    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override
    {
        IDispatch* object = Find(id);
        if (!object)
            return DISP_E_MEMBERNOTFOUND;
        const bool plainGet =
            !params ||
            (params->cArgs == 0 && !(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)));
        if (!plainGet)
            return object->Invoke(DISPID_VALUE, iid, lcid, flags, params, result, exception,
                                  argError);
        if (!result)
            return S_OK;
        object->AddRef();
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
        return S_OK;
    }

protected:
    HRESULT Call(DISPID, WORD, const CallArgs&, VARIANT*) override { return E_NOTIMPL; }

private:
    IDispatch* Find(DISPID id) const
    {
        switch (id) {
        case 1:
            return m_objects.request.Get();
        case 2:
            return m_objects.response.Get();
        case 3:
            return m_objects.server.Get();
        case 4:
            return m_objects.session.Get();
        case 5:
            return m_objects.application.Get();
        default:
            return nullptr;
        }
    }

    HostObjects m_objects;
};

} // namespace

HRESULT CreatePageGlobals(const HostObjects& objects, IDispatch** globals)
{
    if (!globals)
        return E_POINTER;
    *globals = new (std::nothrow) PageGlobals(objects);
    return *globals ? S_OK : E_OUTOFMEMORY;
}
