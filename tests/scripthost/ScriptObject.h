// ScriptObject is the base of the objects that scripthost hands to scripts:
// a plain IDispatch without type information whose members are found by
// name in any letter case. Derived classes count their references, name
// their members and carry out Invoke.
#pragma once

#include <windows.h>

#include <oleauto.h>

class ScriptObject : public IDispatch
{
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out =
            iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        ids[0] = count == 1 ? FindMember(names[0]) : DISPID_UNKNOWN;
        return ids[0] == DISPID_UNKNOWN ? DISP_E_UNKNOWNNAME : S_OK;
    }

protected:
    virtual ~ScriptObject() = default;
    // The DISPID of a member name in any letter case, or DISPID_UNKNOWN.
    virtual DISPID FindMember(LPCOLESTR name) const = 0;
};
