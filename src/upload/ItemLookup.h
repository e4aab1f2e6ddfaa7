// Which record an index given to Upload.Item selects: a position from 0 at
// the width of its integer type, or a field name compared with ASCII-only
// case folding (the first record in body order wins). A by-reference
// variant, as script engines pass variables, is followed to its value.
// Windows only (it reads VARIANTs).
#pragma once

#include "upload/body/FormField.h"
#include "upload/body/LcArray.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdint>

// The position of the selected record, or -1 when the index selects none:
// a position outside 0 to size - 1, a null or empty name, a name no record
// bears, or an index of any other type (reals, booleans, VT_I1 and VT_UI1,
// other by-reference forms).
int32_t SelectRecord(const VARIANT& index, const CLcArray<CAspUploadFormField>& fields);

// True when a and b have the same length and equal units once the letters
// A to Z are taken as their lower-case forms; every other unit, non-ASCII
// letters included, must match exactly.
bool NamesMatchAsciiNoCase(const WCHAR* a, UINT aLength, const WCHAR* b, UINT bLength);
