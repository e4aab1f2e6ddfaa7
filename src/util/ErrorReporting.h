// The one path by which the Upload object's failures reach a script: a
// message id and a status in, rich error information (description and
// source) installed for the calling thread, the status out.
#pragma once

#include <windows.h>

// Installs error information for the calling thread: the text of messageId
// ("Unknown Error" when the table has none) as description, the ProgID
// registered for the Upload class as source (none while the class is not
// registered), GUID_NULL, no help file, help context 0. Returns status, or
// DISP_E_EXCEPTION when status is 0, for the caller to return unchanged.
// Failing to install the information never changes the status.
HRESULT ReportError(UINT messageId, HRESULT status) noexcept;
