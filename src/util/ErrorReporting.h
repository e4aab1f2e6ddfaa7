// The one path by which an object's failures reach a script: a message id,
// a status and the failing object's class in, rich error information
// (description and source) installed for the calling thread, the status out.
#pragma once

#include <windows.h>

// Installs error information for the calling thread: the text of messageId
// ("Unknown Error" when the table has none) as description, the ProgID
// registered for sourceClass as source (none while the class is not
// registered), GUID_NULL, no help file, help context 0. Returns status, or
// DISP_E_EXCEPTION when status is 0, for the caller to return unchanged.
// Failing to install the information never changes the status.
HRESULT ReportError(UINT messageId, HRESULT status, REFCLSID sourceClass) noexcept;
