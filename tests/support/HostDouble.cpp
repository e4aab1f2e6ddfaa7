// The three host objects of HostDouble. Each is a member of the shared state,
// counts its references without ever deleting itself, and routes every member
// that the Upload object must not call to Unexpected.
#include "support/HostDouble.h"

#include "upload/AspHost.h"

#include <gtest/gtest.h>

#include <algorithm>

// A member that the Upload object must never call.
#define TU_HOST_STUB(name, params)                                                                 \
    STDMETHODIMP name params override                                                              \
    {                                                                                              \
        return Unexpected(#name);                                                                  \
    }

// Reference counting and the IUnknown of one host object.
template <class Interface> class HostObjectBase : public Interface
{
public:
    explicit HostObjectBase(HostDouble::State* state, const IID& iid, const char* name)
        : m_state(state), m_iid(iid), m_name(name)
    {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        if (m_refs <= 0) {
            ADD_FAILURE() << m_name << ": Release without a reference";
            return 0;
        }
        return static_cast<ULONG>(--m_refs);
    }

    TU_HOST_STUB(GetTypeInfoCount, (UINT*))
    TU_HOST_STUB(GetTypeInfo, (UINT, LCID, ITypeInfo**))
    TU_HOST_STUB(GetIDsOfNames, (REFIID, LPOLESTR*, UINT, LCID, DISPID*))
    TU_HOST_STUB(Invoke, (DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))

    long References() const noexcept { return m_refs; }
    // Hands the member to the double's handler; defined once the state,
    // which holds the host objects, is complete.
    HRESULT Unexpected(const char* member);

protected:
    HostDouble::State* m_state;

private:
    const IID& m_iid;
    const char* m_name;
    long m_refs = 0;
};

class ContextObject : public HostObjectBase<IScriptingContext>
{
public:
    using HostObjectBase::HostObjectBase;
    STDMETHODIMP get_Request(IRequest** out) override;
    STDMETHODIMP get_Response(IResponse** out) override;
    TU_HOST_STUB(get_Server, (IServer**))
    TU_HOST_STUB(get_Session, (ISessionObject**))
    TU_HOST_STUB(get_Application, (IApplicationObject**))
};

class RequestObject : public HostObjectBase<IRequest>
{
public:
    using HostObjectBase::HostObjectBase;
    TU_HOST_STUB(get_Item, (BSTR, IDispatch**))
    TU_HOST_STUB(get_QueryString, (IRequestDictionary**))
    TU_HOST_STUB(get_Form, (IRequestDictionary**))
    TU_HOST_STUB(get_Body, (IRequestDictionary**))
    TU_HOST_STUB(get_ServerVariables, (IRequestDictionary**))
    TU_HOST_STUB(get_ClientCertificate, (IRequestDictionary**))
    TU_HOST_STUB(get_Cookies, (IRequestDictionary**))
    STDMETHODIMP get_TotalBytes(__LONG32* total) override;
    STDMETHODIMP BinaryRead(VARIANT* count, VARIANT* result) override;
};

class ResponseObject : public HostObjectBase<IResponse>
{
public:
    using HostObjectBase::HostObjectBase;
    TU_HOST_STUB(get_Buffer, (VARIANT_BOOL*))
    TU_HOST_STUB(put_Buffer, (VARIANT_BOOL))
    TU_HOST_STUB(get_ContentType, (BSTR*))
    TU_HOST_STUB(put_ContentType, (BSTR))
    TU_HOST_STUB(get_Expires, (VARIANT*))
    TU_HOST_STUB(put_Expires, (__LONG32))
    TU_HOST_STUB(get_ExpiresAbsolute, (VARIANT*))
    TU_HOST_STUB(put_ExpiresAbsolute, (DATE))
    TU_HOST_STUB(get_Cookies, (IRequestDictionary**))
    TU_HOST_STUB(get_Status, (BSTR*))
    TU_HOST_STUB(put_Status, (BSTR))
    TU_HOST_STUB(Add, (BSTR, BSTR))
    TU_HOST_STUB(AddHeader, (BSTR, BSTR))
    TU_HOST_STUB(AppendToLog, (BSTR))
    TU_HOST_STUB(BinaryWrite, (VARIANT))
    TU_HOST_STUB(Clear, ())
    TU_HOST_STUB(End, ())
    TU_HOST_STUB(Flush, ())
    TU_HOST_STUB(Redirect, (BSTR))
    TU_HOST_STUB(Write, (VARIANT))
    TU_HOST_STUB(WriteBlock, (short))
    STDMETHODIMP IsClientConnected(VARIANT_BOOL* connected) override;
    TU_HOST_STUB(get_CharSet, (BSTR*))
    TU_HOST_STUB(put_CharSet, (BSTR))
    TU_HOST_STUB(Pics, (BSTR))
    TU_HOST_STUB(get_CacheControl, (BSTR*))
    TU_HOST_STUB(put_CacheControl, (BSTR))
};

// The host objects, and the double whose body, faults and records they use.
struct HostDouble::State
{
    explicit State(HostDouble& owner)
        : host(owner), context(this, IID_IScriptingContext, "IScriptingContext"),
          request(this, IID_IRequest, "IRequest"), response(this, IID_IResponse, "IResponse")
    {}

    void Log(const char* member) { host.m_calls.emplace_back(member); }
    HRESULT FillResult(int chunk, int32_t asked, VARIANT* result, int32_t* delivered);

    HostDouble& host;
    ContextObject context;
    RequestObject request;
    ResponseObject response;
    int connectedChecks = 0;
    int reads = 0;
};

template <class Interface> HRESULT HostObjectBase<Interface>::Unexpected(const char* member)
{
    if (m_state->host.m_unexpected)
        m_state->host.m_unexpected(member);
    return E_NOTIMPL;
}

template <class Interface>
STDMETHODIMP HostObjectBase<Interface>::QueryInterface(REFIID riid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (riid == IID_IScriptingContext && m_iid == IID_IScriptingContext) {
        m_state->Log("QueryInterface(IScriptingContext)");
        if (FAILED(m_state->host.m_faults.contextQuery))
            return m_state->host.m_faults.contextQuery;
    } else if (riid != IID_IUnknown) {
        Unexpected("QueryInterface for another interface");
        return E_NOINTERFACE;
    }
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
}

// Hands out one of the double's objects, or the programmed failure.
template <class Object>
HRESULT HandOut(HostDouble::State* state, const char* member, HRESULT fault, Object* object,
                Object** out)
{
    state->Log(member);
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (FAILED(fault))
        return fault;
    *out = object;
    object->AddRef();
    return S_OK;
}

STDMETHODIMP ContextObject::get_Request(IRequest** out)
{
    return HandOut<IRequest>(m_state, "get_Request", m_state->host.m_faults.getRequest,
                             &m_state->request, out);
}

STDMETHODIMP ContextObject::get_Response(IResponse** out)
{
    return HandOut<IResponse>(m_state, "get_Response", m_state->host.m_faults.getResponse,
                              &m_state->response, out);
}

STDMETHODIMP RequestObject::get_TotalBytes(__LONG32* total)
{
    m_state->Log("get_TotalBytes");
    if (!total)
        return E_POINTER;
    if (FAILED(m_state->host.m_faults.totalBytes))
        return m_state->host.m_faults.totalBytes;
    *total = m_state->host.m_announced.value_or(static_cast<int32_t>(m_state->host.m_body.size()));
    return S_OK;
}

HRESULT HostDouble::State::FillResult(int chunk, int32_t askedCount, VARIANT* result,
                                      int32_t* delivered)
{
    const std::vector<uint8_t>& body = host.m_body;
    size_t& served = host.m_served;
    const HostFaults& faults = host.m_faults;
    const size_t left = body.size() - served;
    size_t n = std::min(static_cast<size_t>(std::max(askedCount, 0)), left);
    if (faults.chunkLimit > 0)
        n = std::min(n, static_cast<size_t>(faults.chunkLimit));
    const ReadResult shape =
        chunk == faults.wrongResultAtChunk ? faults.wrongResult : ReadResult::Bytes;
    *delivered = 0;
    switch (shape) {
    case ReadResult::Empty:
        return S_OK;
    case ReadResult::Int4:
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(n);
        return S_OK;
    case ReadResult::NullByteArray:
        result->vt = VT_ARRAY | VT_UI1;
        result->parray = nullptr;
        return S_OK;
    case ReadResult::ShortArray:
        result->parray = SafeArrayCreateVector(VT_I2, 0, static_cast<ULONG>(n / 2));
        if (!result->parray)
            return E_OUTOFMEMORY;
        result->vt = VT_ARRAY | VT_I2;
        return S_OK;
    case ReadResult::Bytes:
        break;
    }
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(n));
    if (!array)
        return E_OUTOFMEMORY;
    std::copy_n(body.data() + served, n, static_cast<uint8_t*>(array->pvData));
    served += n;
    result->vt = VT_ARRAY | VT_UI1;
    result->parray = array;
    *delivered = static_cast<int32_t>(n);
    return S_OK;
}

STDMETHODIMP RequestObject::BinaryRead(VARIANT* count, VARIANT* result)
{
    m_state->Log("BinaryRead");
    const int chunk = ++m_state->reads;
    if (!count || !result)
        return E_POINTER;
    if (count->vt != VT_I4)
        return Unexpected("BinaryRead with a count that is not VT_I4");
    if (result->vt != VT_EMPTY)
        return Unexpected("BinaryRead into a result that is not empty");
    const int32_t askedCount = count->lVal;
    m_state->host.m_asked.push_back(askedCount);
    if (chunk == m_state->host.m_faults.readFailsAtChunk)
        return m_state->host.m_faults.readStatus;
    int32_t delivered = 0;
    const HRESULT hr = m_state->FillResult(chunk, askedCount, result, &delivered);
    if (FAILED(hr))
        return hr;
    m_state->host.m_chunkSizes.push_back(delivered);
    if (!m_state->host.m_faults.keepAskedCount)
        count->lVal = delivered;
    return S_OK;
}

STDMETHODIMP ResponseObject::IsClientConnected(VARIANT_BOOL* connected)
{
    m_state->Log("IsClientConnected");
    const int chunk = ++m_state->connectedChecks;
    if (!connected)
        return E_POINTER;
    if (chunk == m_state->host.m_faults.connectedCheckFailsAtChunk)
        return m_state->host.m_faults.connectedCheckStatus;
    *connected =
        chunk == m_state->host.m_faults.clientGoneBeforeChunk ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HostDouble::HostDouble()
    : m_unexpected([](const char* member) { ADD_FAILURE() << "unexpected host call: " << member; }),
      m_state(std::make_unique<State>(*this))
{}

HostDouble::~HostDouble()
{
    if (References() != 0)
        ADD_FAILURE() << "the host objects are still referenced " << References() << " times";
}

void HostDouble::SetBody(std::vector<uint8_t> body)
{
    m_body = std::move(body);
    m_served = 0;
}

IUnknown* HostDouble::Context() noexcept
{
    return &m_state->context;
}

long HostDouble::References() const noexcept
{
    return m_state->context.References() + m_state->request.References() +
           m_state->response.References();
}

int HostDouble::CallCount(const std::string& member) const
{
    return static_cast<int>(std::count(m_calls.begin(), m_calls.end(), member));
}
