// The base of the host objects that pages see (Request, Response, Server,
// Session, Application and their collections): reference counting,
// QueryInterface for one ASP interface of <asptlb.h>, and IDispatch driven by
// a table of member names. There is no ASP type library on the machine, so
// scripts reach every member through Invoke: the name is looked up in any
// letter case, and the derived class answers Call with the member's DISPID,
// the invoke flags and the arguments in their written order. Components use
// the same objects early-bound through the interface's vtable; members the
// host does not offer answer E_NOTIMPL there.
#pragma once

#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/VariantHolder.h"

#include <windows.h>

#include <ole2.h>

#include <asptlb.h>
#include <atomic>
#include <new>
#include <oleauto.h>
#include <string>
#include <vector>

// Raised through the script engine by Response.End and Response.Redirect:
// the script stops, and the script site treats it as a normal end.
constexpr HRESULT kPageEndStatus = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, 0x7A51);

struct MemberName
{
    const wchar_t* name;
    DISPID id;
};

// The arguments of one Invoke in their written order (the engine passes
// them last first), with VT_BYREF|VT_VARIANT references followed; a property
// put's value apart.
class CallArgs
{
public:
    explicit CallArgs(const DISPPARAMS* params, WORD flags);
    size_t Count() const { return m_args.size(); }
    const VARIANT& operator[](size_t i) const { return *m_args[i]; }
    // The argument as passed, for members that write back through VT_BYREF.
    VARIANT* Raw(size_t i) const { return m_raw[i]; }
    // The value of a property put, or null for gets and method calls.
    const VARIANT* PutValue() const { return m_put; }
    // True when argument i was written (not omitted with a missing marker).
    bool Has(size_t i) const;

private:
    std::vector<const VARIANT*> m_args;
    std::vector<VARIANT*> m_raw;
    const VARIANT* m_put = nullptr;
};

// Text of a variant as scripts print it (True/False for booleans, "" for
// Empty and Null); objects give their default value. False when there is no
// text form (arrays, objects without a default value).
bool VariantToText(const VARIANT& value, std::wstring& text);
// Integer of a variant; false when it cannot be converted.
bool VariantToLong(const VARIANT& value, long& number);
// A BSTR variant of text; false when out of memory.
HRESULT TextToVariant(const std::wstring& text, VARIANT* result);
// The text of a BSTR argument (a null BSTR is empty text).
std::wstring BstrText(BSTR text);

template <class Interface> class AspObject : public Interface
{
public:
    AspObject(const IID& iid, const MemberName* members, size_t memberCount, const wchar_t* source)
        : m_iid(iid), m_members(members), m_memberCount(memberCount), m_source(source)
    {}
    AspObject(const AspObject&) = delete;
    AspObject& operator=(const AspObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != m_iid)
            return E_NOINTERFACE;
        *out = static_cast<Interface*>(this);
        this->AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = --m_refs;
        if (refs == 0)
            delete this;
        return refs;
    }

    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (!names || !ids || count == 0)
            return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i)
            ids[i] = DISPID_UNKNOWN;
        for (size_t i = 0; i < m_memberCount; ++i) {
            if (lstrcmpiW(names[0], m_members[i].name) == 0) {
                ids[0] = m_members[i].id;
                return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
            }
        }
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT*) override
    {
        if (!params)
            return E_INVALIDARG;
        m_error.clear();
        if (result)
            VariantInit(result);
        VariantHolder ignored;
        VARIANT* answer = result ? result : ignored.Get();
        // No C++ exception may unwind into the script engine: a member that
        // runs out of memory fails with E_OUTOFMEMORY, anything else thrown
        // with E_FAIL, and neither leaves a half-made result behind.
        HRESULT hr = E_FAIL;
        try {
            hr = Call(id, flags, CallArgs(params, flags), answer);
        } catch (const std::bad_alloc&) {
            VariantClear(answer);
            return E_OUTOFMEMORY;
        } catch (...) {
            VariantClear(answer);
            return E_FAIL;
        }
        if (SUCCEEDED(hr) || hr == kPageEndStatus || m_error.empty() || !exception)
            return hr;
        *exception = EXCEPINFO{};
        exception->bstrSource = SysAllocString(m_source);
        exception->bstrDescription = SysAllocString(m_error.c_str());
        exception->scode = hr;
        return DISP_E_EXCEPTION;
    }

protected:
    virtual ~AspObject() = default;

    // Carries out member id. result starts empty.
    virtual HRESULT Call(DISPID id, WORD flags, const CallArgs& args, VARIANT* result) = 0;

    // Records the description of a failure for the caller (EXCEPINFO for
    // scripts, the thread's error info for components) and returns hr.
    HRESULT Fail(HRESULT hr, const std::wstring& description)
    {
        m_error = description;
        PublishErrorInfo(description);
        return hr;
    }

private:
    void PublishErrorInfo(const std::wstring& description)
    {
        ComPtr<ICreateErrorInfo> create;
        ComPtr<IErrorInfo> info;
        if (FAILED(CreateErrorInfo(create.ReleaseAndGetAddressOf())))
            return;
        create->SetSource(const_cast<LPOLESTR>(m_source));
        create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
        if (SUCCEEDED(create.As(&info)))
            SetErrorInfo(0, info.Get());
    }

    std::atomic<ULONG> m_refs{1};
    const IID& m_iid;
    const MemberName* m_members;
    size_t m_memberCount;
    const wchar_t* m_source;
    std::wstring m_error;
};
