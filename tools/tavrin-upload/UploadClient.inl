// Template part of UploadClient.h: reading an item's content as bytes.
#pragma once

#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

template <class Consume> Outcome ReadContentBytes(IUploadFile* item, bool* present, Consume consume)
{
    *present = false;
    SetErrorInfo(0, nullptr);
    VariantHolder content;
    const HRESULT hr = item->get_Content(VARIANT_FALSE, content.Get());
    if (FAILED(hr))
        return FailureFromErrorInfo(hr);
    if (hr == S_FALSE)
        return {};
    if (content->vt != (VT_ARRAY | VT_UI1) || !content->parray ||
        SafeArrayGetDim(content->parray) != 1)
        return {E_UNEXPECTED, u"Content(False) did not return a byte array"};
    LONG lower = 0, upper = -1;
    if (FAILED(SafeArrayGetLBound(content->parray, 1, &lower)) ||
        FAILED(SafeArrayGetUBound(content->parray, 1, &upper)))
        return {E_UNEXPECTED, u"Content(False) returned an array without bounds"};
    const size_t count = upper < lower ? 0 : size_t(int64_t(upper) - lower + 1);
    SafeArrayDataLock lock(content->parray);
    if (!lock.Data() && count > 0)
        return FailureFromErrorInfo(lock.Status());
    *present = true;
    const HRESULT consumed = consume(lock.Data(), count);
    if (FAILED(consumed))
        return {consumed, PlatformMessage(consumed)};
    return {};
}
