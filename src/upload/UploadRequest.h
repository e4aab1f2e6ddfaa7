// CUploadRequest is the request side of the Upload object: the host's
// Request and Response from page start to page end, the size limit, the page
// code, the parsed mark, and the body with its records. ReadAndParse pulls
// the posted body from the host in chunks under the size limit and splits
// it, once per object; every failure is reported with its message through
// ReportError.
#pragma once

#include "upload/AspHost.h"
#include "upload/body/UploadBody.h"
#include "util/ComPtr.h"

#include <cstdint>
#include <memory>

class CUploadRequest
{
public:
    static constexpr int32_t kDefaultMaxSize = 10485760;

    CUploadRequest() noexcept;
    CUploadRequest(const CUploadRequest&) = delete;
    CUploadRequest& operator=(const CUploadRequest&) = delete;

    // Binds to the host's Request and Response through the scripting
    // context; the context itself is released before returning. A second
    // call replaces the references held before. Any failure leaves no host
    // reference held and returns the host's status (E_POINTER for null).
    HRESULT OnStartPage(IUnknown* scriptingContext) noexcept;
    // Drops Request and Response; body, records and settings stay.
    void OnEndPage() noexcept;

    // Reads and parses the body unless that was done already. Returns a
    // failure (with error information installed where a message goes with
    // it), S_OK when nothing was parsed in this call, or S_FALSE when the
    // parser ran to the end: callers treat both as success.
    //   - No host, the host's total failing, or a total above MaxSize: the
    //     failure is final for this object, later calls succeed with no
    //     records and ask nothing of the host.
    //   - A total below 1: no records, nothing read.
    //   - Any failure once reading has started (client gone, host read
    //     failing, wrong result type, no memory, body not multipart):
    //     everything read is discarded and the next call asks the host again.
    // A body put in place beforehand (loaded from a file) is parsed without
    // the host.
    HRESULT ReadAndParse() noexcept;

    // Discards records and body and clears the parsed mark. A body still
    // shared with items taken earlier is left to them untouched and replaced
    // by a new, empty one.
    void ResetBody() noexcept;

    // Makes sure an (empty or filled) body object is held; E_OUTOFMEMORY
    // when none can be had. Body() is null only after memory ran out.
    HRESULT EnsureBody() noexcept;
    CUploadBody* Body() const noexcept { return m_body.get(); }
    // The body for items, which keep it (records and buffer) alive.
    std::shared_ptr<CUploadBody> SharedBody() const noexcept { return m_body; }
    // Number of records; 0 without a body.
    int32_t Count() const noexcept;

    int32_t MaxSize() const noexcept { return m_maxSize; }
    void SetMaxSize(int32_t maxSize) noexcept { m_maxSize = maxSize; }
    int32_t PageCode() const noexcept { return m_pageCode; }
    void SetPageCode(int32_t pageCode) noexcept { m_pageCode = pageCode; }
    bool IsParsed() const noexcept { return m_parsed; }

private:
    HRESULT ReadFromHost(bool* bodyRead) noexcept;
    HRESULT ReadChunks(int32_t total) noexcept;
    HRESULT AppendChunk(const VARIANT& result, int32_t* delivered) noexcept;
    HRESULT ParseHeldBody() noexcept;

    // Members are released in reverse order: body and records first, then
    // Response, then Request.
    ComPtr<IRequest> m_request;
    ComPtr<IResponse> m_response;
    bool m_parsed = false;
    int32_t m_maxSize = kDefaultMaxSize;
    int32_t m_pageCode = kPageCodeAutomatic;
    std::shared_ptr<CUploadBody> m_body;
};
