// The scripting context that components receive in OnStartPage, and the
// making of a page's host objects around it.
#include "asp/HostObjects.h"

#include "util/ErrorMacros.h"

#include <new>

namespace {

enum : DISPID
{
    kRequest = 1,
    kResponse,
    kServer,
    kSession,
    kApplication,
};

const MemberName kMembers[] = {{L"Request", kRequest},
                               {L"Response", kResponse},
                               {L"Server", kServer},
                               {L"Session", kSession},
                               {L"Application", kApplication}};

class PageContext : public AspObject<IScriptingContext>
{
public:
    explicit PageContext(const HostObjects& objects)
        : AspObject(IID_IScriptingContext, kMembers, std::size(kMembers), L"ScriptingContext"),
          m_request(objects.request), m_response(objects.response), m_server(objects.server),
          m_session(objects.session), m_application(objects.application)
    {}

    STDMETHODIMP get_Request(IRequest** out) override { return m_request.CopyTo(out); }
    STDMETHODIMP get_Response(IResponse** out) override { return m_response.CopyTo(out); }
    STDMETHODIMP get_Server(IServer** out) override { return m_server.CopyTo(out); }
    STDMETHODIMP get_Session(ISessionObject** out) override { return m_session.CopyTo(out); }
    STDMETHODIMP get_Application(IApplicationObject** out) override
    {
        return m_application.CopyTo(out);
    }

    // The context is also the page's one named item, with global members:
    // Wine's engines cannot call a named item itself with arguments, so
    // Request("x") or Session("x") = v reach the host here as a member
    // called with arguments, and go (flags and all) to the object's default
    // member.
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override
    {
        const bool withArguments =
            params &&
            (params->cArgs > 0 || (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)));
        IDispatch* object = Find(id);
        if (!withArguments || !object)
            return AspObject::Invoke(id, iid, lcid, flags, params, result, exception, argError);
        return object->Invoke(DISPID_VALUE, iid, lcid, flags, params, result, exception, argError);
    }

protected:
    HRESULT Call(DISPID id, WORD, const CallArgs&, VARIANT* result) override
    {
        IDispatch* object = Find(id);
        if (!object)
            return DISP_E_MEMBERNOTFOUND;
        object->AddRef();
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
        return S_OK;
    }

private:
    IDispatch* Find(DISPID id) const
    {
        switch (id) {
        case kRequest:
            return m_request.Get();
        case kResponse:
            return m_response.Get();
        case kServer:
            return m_server.Get();
        case kSession:
            return m_session.Get();
        case kApplication:
            return m_application.Get();
        default:
            return nullptr;
        }
    }

    ComPtr<IRequest> m_request;
    ComPtr<IResponse> m_response;
    ComPtr<IServer> m_server;
    ComPtr<ISessionObject> m_session;
    ComPtr<IApplicationObject> m_application;
};

} // namespace

HRESULT CreateScriptingContext(const HostObjects& objects, IScriptingContext** context)
{
    if (!context)
        return E_POINTER;
    *context = new (std::nothrow) PageContext(objects);
    return *context ? S_OK : E_OUTOFMEMORY;
}

HRESULT CreateHostObjects(const std::shared_ptr<PageState>& state, HostObjects& objects)
{
    objects.components = std::make_shared<PageComponents>();
    RETURN_IF_FAILED(CreateRequestObject(state, objects.request.ReleaseAndGetAddressOf()));
    RETURN_IF_FAILED(CreateResponseObject(state, objects.response.ReleaseAndGetAddressOf()));
    RETURN_IF_FAILED(
        CreateServerObject(state, objects.components, objects.server.ReleaseAndGetAddressOf()));
    RETURN_IF_FAILED(CreateSessionObject(state, objects.session.ReleaseAndGetAddressOf()));
    RETURN_IF_FAILED(CreateApplicationObject(state, objects.application.ReleaseAndGetAddressOf()));
    RETURN_IF_FAILED(CreateScriptingContext(objects, objects.context.ReleaseAndGetAddressOf()));
    objects.components->context = objects.context.Get();
    return S_OK;
}
