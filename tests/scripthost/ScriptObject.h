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
        if (!out)
            return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch)
            return E_NOINTERFACE;
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
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
        if (count != 1 || !names || !ids)
            return DISP_E_UNKNOWNNAME;
        const DISPID id = FindMember(names[0]);
        if (id == DISPID_UNKNOWN)
            return DISP_E_UNKNOWNNAME;
        ids[0] = id;
        return S_OK;
    }

protected:
    virtual ~ScriptObject() = default;
    // The DISPID of a member name in any letter case, or DISPID_UNKNOWN.
    virtual DISPID FindMember(LPCOLESTR name) const = 0;
};
