// Binding to the host and reading the posted body. The size limit is checked
// against the total that the host announces before any byte is read; the
// body then goes into one buffer of exactly that total, chunk by chunk, each
// chunk's array copied straight in and freed at once. Before every chunk the
// host is asked whether the client is still there, so an abandoned upload
// stops early.
#include "upload/UploadRequest.h"

#include "TavrinUpload_h.h"

#include "util/ErrorMacros.h"
#include "util/ErrorReporting.h"
#include "util/MessageText.h"
#include "util/SafeArrayHolder.h"
#include "util/VariantHolder.h"

#include <algorithm>
#include <new>

CUploadRequest::CUploadRequest() noexcept
{
    EnsureBody();
}

HRESULT CUploadRequest::OnStartPage(IUnknown* scriptingContext) noexcept
{
    if (!scriptingContext)
        return E_POINTER;
    ComPtr<IScriptingContext> context;
    const HRESULT queried =
        QueryScriptingContext(scriptingContext, context.ReleaseAndGetAddressOf());
    if (FAILED(queried)) {
        // A failing host must leave the pointer null; whatever it wrote is
        // not trusted with a Release.
        context.Detach();
        return queried;
    }
    m_response.Reset();
    HRESULT hr = context->get_Request(m_request.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        m_request.Detach();
        return hr;
    }
    hr = context->get_Response(m_response.ReleaseAndGetAddressOf());
    if (FAILED(hr)) {
        m_response.Detach();
        m_request.Reset();
        return hr;
    }
    return S_OK;
}

void CUploadRequest::OnEndPage() noexcept
{
    m_request.Reset();
    m_response.Reset();
}

HRESULT CUploadRequest::EnsureBody() noexcept
{
    if (m_body)
        return S_OK;
    try {
        m_body = std::make_shared<CUploadBody>();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

void CUploadRequest::ResetBody() noexcept
{
    m_parsed = false;
    if (m_body && m_body.use_count() == 1) {
        m_body->ResetBody();
        return;
    }
    // Items still point into the old records and buffer: leave them theirs.
    m_body.reset();
    EnsureBody();
}

int32_t CUploadRequest::Count() const noexcept
{
    return m_body ? m_body->Fields().GetSize() : 0;
}

HRESULT CUploadRequest::ReadAndParse() noexcept
{
    if (m_parsed)
        return S_OK;
    m_parsed = true;
    if (!m_body || !m_body->HasBody()) {
        bool bodyRead = false;
        RETURN_IF_FAILED(ReadFromHost(&bodyRead));
        if (!bodyRead)
            return S_OK;
    }
    return ParseHeldBody();
}

HRESULT CUploadRequest::ReadFromHost(bool* bodyRead) noexcept
{
    *bodyRead = false;
    if (!m_request || !m_response)
        return ReportError(kMsgNotInAsp, CO_E_NOT_SUPPORTED, CLSID_Upload);
    LONG total = 0;
    RETURN_IF_FAILED(m_request->get_TotalBytes(&total));
    if (total < 1)
        return S_OK;
    if (total > m_maxSize)
        return ReportError(kMsgOverSizeLimit, DISP_E_OVERFLOW, CLSID_Upload);

    // The mark stays set while reading and after a successful parse, so the
    // body is split once; every failure from here on clears it with the
    // body, and the next call asks the host again.
    ResetBody();
    m_parsed = true;
    HRESULT hr = EnsureBody();
    if (SUCCEEDED(hr))
        hr = m_body->AllocBody(total);
    if (SUCCEEDED(hr))
        hr = ReadChunks(total);
    if (FAILED(hr)) {
        ResetBody();
        return hr;
    }
    m_body->SetCursor(0);
    *bodyRead = true;
    return S_OK;
}

namespace {

// The count that BinaryRead wrote back (the bytes it says it delivered);
// a count it left in a form that is no number reads as the size asked.
int32_t WrittenBackCount(const VARIANT& count) noexcept
{
    VariantHolder number;
    if (FAILED(VariantChangeType(number.Get(), const_cast<VARIANT*>(&count), 0, VT_I4)))
        return kChunkSize;
    return number->lVal;
}

} // namespace

HRESULT CUploadRequest::ReadChunks(int32_t total) noexcept
{
    VariantHolder count;
    VariantHolder result;
    while (m_body->BodyLength() < total) {
        VARIANT_BOOL connected = VARIANT_FALSE;
        RETURN_IF_FAILED(m_response->IsClientConnected(&connected));
        if (connected == VARIANT_FALSE)
            return ReportError(kMsgUserAbort, E_ABORT, CLSID_Upload);

        if (count->vt != VT_I4)
            count.Clear();
        count->vt = VT_I4;
        count->lVal = kChunkSize;
        RETURN_IF_FAILED(m_request->BinaryRead(count.Get(), result.Get()));
        int32_t delivered = 0;
        RETURN_IF_FAILED(AppendChunk(*result.Get(), &delivered));
        result.Clear();
        // A host that delivers nothing, or less than it says, has no more.
        if (delivered == 0 || delivered < WrittenBackCount(*count.Get()))
            break;
    }
    return S_OK;
}

// Copies the bytes of one chunk into the body, as many as fit up to the
// announced total; *delivered is the number of bytes the chunk held.
HRESULT CUploadRequest::AppendChunk(const VARIANT& result, int32_t* delivered) noexcept
{
    *delivered = 0;
    SAFEARRAY* array = result.vt == (VT_ARRAY | VT_UI1) ? result.parray : nullptr;
    if (!array || SafeArrayGetDim(array) < 1)
        return ReportError(kMsgBinaryReadFailed, E_POINTER, CLSID_Upload);
    const ULONG elements = array->rgsabound[0].cElements;
    if (elements == 0)
        return S_OK;
    SafeArrayDataLock lock(array);
    if (!lock.Data())
        return ReportError(kMsgBinaryReadFailed, E_POINTER, CLSID_Upload);
    const ULONG room = static_cast<ULONG>(m_body->BodyCapacity() - m_body->BodyLength());
    m_body->AppendBody(static_cast<const uint8_t*>(lock.Data()),
                       static_cast<int32_t>(std::min(elements, room)));
    *delivered = static_cast<int32_t>(std::min<ULONG>(elements, 0x7FFFFFFF));
    return S_OK;
}

HRESULT CUploadRequest::ParseHeldBody() noexcept
{
    const HRESULT hr = m_body->ParseBody(m_pageCode);
    if (SUCCEEDED(hr))
        return hr;
    ResetBody();
    if (hr == DISP_E_EXCEPTION)
        return ReportError(kMsgInvalidFormat, DISP_E_EXCEPTION, CLSID_Upload);
    return hr;
}
