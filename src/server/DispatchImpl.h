// IDispatchImpl: the four IDispatch operations of a dual interface, served
// through the type description of the registered type library that one
// process-wide CComTypeInfoHolder per interface loads on first use. An
// object class derives from it over its interface; the members themselves
// are the class's.
#pragma once

#include "server/TypeInfoHolder.h"

template <class T, const IID* piid, const GUID* plibid, WORD wMajor = 1, WORD wMinor = 0,
          class tihclass = CComTypeInfoHolder>
class IDispatchImpl : public T
{
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override
    {
        if (!pctinfo)
            return E_POINTER;
        *pctinfo = 1;
        return S_OK;
    }
    // The index is not examined: there is one type description.
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID lcid, ITypeInfo** ppInfo) override
    {
        return _tih.GetTI(lcid, ppInfo);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* dispids) override
    {
        return _tih.GetIDsOfNames(riid, names, count, lcid, dispids);
    }
    // The type description calls the member through this object's dual
    // interface, at the position that the library records.
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* excepInfo,
                                     UINT* argErr) override
    {
        return _tih.Invoke(static_cast<T*>(this), dispid, riid, lcid, flags, params, result,
                           excepInfo, argErr);
    }

    static tihclass _tih;
};

template <class T, const IID* piid, const GUID* plibid, WORD wMajor, WORD wMinor, class tihclass>
tihclass IDispatchImpl<T, piid, plibid, wMajor, wMinor, tihclass>::_tih = {piid, plibid, wMajor,
                                                                           wMinor};
