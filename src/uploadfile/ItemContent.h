// Handing an item's content to a script: as an automation byte array (an
// exact copy, so that changes the script makes never reach the item) or as
// text decoded under the owning Upload object's page code. Windows only.
#pragma once

#include "TavrinUpload_h.h"

#include <windows.h>

#include <oleauto.h>

#include <cstdint>

// Writes into *result a new one-dimensional VT_UI1 array, lower bound 0, of
// size elements holding a copy of data. *result is written only on success
// (VT_ARRAY | VT_UI1); E_OUTOFMEMORY when the array cannot be made,
// E_INVALIDARG for a negative size, E_POINTER for null data with a size.
HRESULT MakeByteArrayContent(const uint8_t* data, int32_t size, VARIANT* result);

// Writes into *result the content as text. Empty content (or none) is
// VT_EMPTY with S_FALSE. Otherwise VT_BSTR with S_OK, the string being null
// when nothing could be decoded. With an owner the text is decoded under its
// PageCode, read through IUpload; at 65535 (automatic) the content decides
// and the decision (65001 for UTF-8, 0 for anything else that is not plain
// ASCII) is written back with put_PageCode. Without an owner the system's
// default ANSI code page is used.
HRESULT MakeTextContent(const uint8_t* data, int32_t size, IUpload* owner, VARIANT* result);
