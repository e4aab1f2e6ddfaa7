// The argument unpacking and variant conversions of the host objects, and
// the one definition of the ASP interface IDs (they are not in libuuid).
#include <windows.h>

#include <ole2.h>

#include <initguid.h>

#include <asptlb.h>

#include "asp/AspObject.h"

#include "util/VariantHolder.h"

CallArgs::CallArgs(const DISPPARAMS* params, WORD flags)
{
    UINT count = params->cArgs;
    UINT first = 0;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    if (put && count > 0) {
        m_put = &params->rgvarg[0];
        if (m_put->vt == (VT_BYREF | VT_VARIANT))
            m_put = m_put->pvarVal;
        first = 1;
    }
    // The engine passes arguments last first.
    for (UINT i = count; i-- > first;) {
        VARIANT* raw = &params->rgvarg[i];
        m_raw.push_back(raw);
        m_args.push_back(raw->vt == (VT_BYREF | VT_VARIANT) ? raw->pvarVal : raw);
    }
}

bool CallArgs::Has(size_t i) const
{
    if (i >= m_args.size())
        return false;
    const VARIANT& v = *m_args[i];
    return !(v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND);
}

bool VariantToText(const VARIANT& value, std::wstring& text)
{
    if (value.vt == VT_EMPTY || value.vt == VT_NULL) {
        text.clear();
        return true;
    }
    VariantHolder converted;
    if (FAILED(VariantChangeTypeEx(
            converted.Get(), const_cast<VARIANT*>(&value),
            MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT), VARIANT_ALPHABOOL,
            VT_BSTR)))
        return false;
    if (converted->vt != VT_BSTR)
        return false;
    text.assign(converted->bstrVal, SysStringLen(converted->bstrVal));
    return true;
}

bool VariantToLong(const VARIANT& value, long& number)
{
    VariantHolder converted;
    if (FAILED(VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), 0, VT_I4)))
        return false;
    number = converted->lVal;
    return true;
}

HRESULT TextToVariant(const std::wstring& text, VARIANT* result)
{
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (!copy)
        return E_OUTOFMEMORY;
    VariantClear(result);
    result->vt = VT_BSTR;
    result->bstrVal = copy;
    return S_OK;
}

std::wstring BstrText(BSTR text)
{
    return std::wstring(text ? text : L"", SysStringLen(text));
}
