// The web server's ASP object model, as the platform declares it in
// asptlb.h. The Upload object uses exactly these host operations:
//   QueryInterface for IScriptingContext on the object given at page start,
//   IScriptingContext::get_Request and get_Response,
//   IRequest::get_TotalBytes (once per read) and BinaryRead (once per chunk),
//   IResponse::IsClientConnected (before every chunk).
// Nothing else of the host is called, so any ASP host, or a test double that
// implements just these, serves it.
#pragma once

#include <windows.h>

#include <ole2.h>

#include <asptlb.h>
#include <cstdint>

// The byte count asked of BinaryRead per chunk.
constexpr int32_t kChunkSize = 262144;

// Asks the object handed to OnStartPage for its IScriptingContext; *context
// receives one reference on success. The host's status is returned unchanged.
HRESULT QueryScriptingContext(IUnknown* unknown, IScriptingContext** context) noexcept;
