// Item lookup by position or name: see ItemLookup.h. Positions are read at
// the width of their own type, so a VT_UI4 of 0xFFFFFFFF is a large
// position (none), not -1 reinterpreted.
#include "upload/ItemLookup.h"

namespace {

constexpr int32_t kNoRecord = -1;

WCHAR FoldAscii(WCHAR unit)
{
    return (unit >= 'A' && unit <= 'Z') ? static_cast<WCHAR>(unit - 'A' + 'a') : unit;
}

// The integer that a position-typed index holds; false for other types.
bool ReadPosition(const VARIANT& index, int64_t& position)
{
    switch (V_VT(&index)) {
    case VT_I2:
        position = V_I2(&index);
        return true;
    case VT_I4:
        position = V_I4(&index);
        return true;
    case VT_UI2:
        position = V_UI2(&index);
        return true;
    case VT_UI4:
        position = V_UI4(&index);
        return true;
    case VT_INT:
        position = V_INT(&index);
        return true;
    case VT_UINT:
        position = V_UINT(&index);
        return true;
    default:
        return false;
    }
}

int32_t SelectByName(BSTR name, const CLcArray<CAspUploadFormField>& fields)
{
    const UINT length = SysStringLen(name);
    if (length == 0)
        return kNoRecord;
    for (int32_t i = 0; i < fields.GetSize(); ++i) {
        const BSTR candidate = fields.ElementAt(i)->name;
        const UINT candidateLength = SysStringLen(candidate);
        if (candidateLength > 0 && NamesMatchAsciiNoCase(candidate, candidateLength, name, length))
            return i;
    }
    return kNoRecord;
}

} // namespace

bool NamesMatchAsciiNoCase(const WCHAR* a, UINT aLength, const WCHAR* b, UINT bLength)
{
    if (aLength != bLength)
        return false;
    for (UINT i = 0; i < aLength; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}

int32_t SelectRecord(const VARIANT& index, const CLcArray<CAspUploadFormField>& fields)
{
    const VARIANT* value = &index;
    if (V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value))
        value = V_VARIANTREF(value);

    int64_t position = 0;
    if (ReadPosition(*value, position))
        return (position >= 0 && position < fields.GetSize()) ? static_cast<int32_t>(position)
                                                              : kNoRecord;
    if (V_VT(value) == VT_BSTR)
        return SelectByName(V_BSTR(value), fields);
    return kNoRecord;
}
