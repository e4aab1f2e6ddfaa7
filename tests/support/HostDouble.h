// HostDouble stands in for the web server's ASP object model in tests: a
// scripting context whose Request serves a request body from memory in
// chunks and whose Response reports a connected client. Only the
// calls that the Upload object may make work (QueryInterface for
// IScriptingContext, get_Request, get_Response, get_TotalBytes, BinaryRead,
// IsClientConnected, AddRef/Release); every other member, IDispatch's and
// QueryInterface for other interfaces included, goes to the unexpected-call
// handler, which by default fails the running test naming the member.
//
// The body is served once, as a real host serves it: a later read (a retry
// after a failure) continues after the bytes delivered. TotalBytes keeps
// announcing the whole size. Faults are programmed through Faults(); what the
// host saw is recorded. The host objects live inside the double and are
// never deleted by Release; References() tells how many are still held, and
// the destructor fails the test when some are.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <unknwn.h>
#include <vector>

// The shape of the result that BinaryRead hands back.
enum class ReadResult
{
    Bytes,         // VT_ARRAY | VT_UI1, a one-dimensional byte array
    NullByteArray, // VT_ARRAY | VT_UI1 holding no array
    Int4,          // VT_I4 holding the byte count
    Empty,         // VT_EMPTY
    ShortArray,    // VT_ARRAY | VT_I2 of count / 2 elements
};

struct HostFaults
{
    // QueryInterface for IScriptingContext, get_Request and get_Response
    // fail with these statuses when they are failures.
    HRESULT contextQuery = S_OK;
    HRESULT getRequest = S_OK;
    HRESULT getResponse = S_OK;
    // get_TotalBytes fails with this status when it is a failure.
    HRESULT totalBytes = S_OK;
    // Chunks are counted from 1 by the IsClientConnected / BinaryRead call
    // that serves them; 0 means never.
    int clientGoneBeforeChunk = 0;      // IsClientConnected says "gone"
    int connectedCheckFailsAtChunk = 0; // IsClientConnected fails
    HRESULT connectedCheckStatus = E_FAIL;
    int readFailsAtChunk = 0; // BinaryRead fails, delivers nothing
    HRESULT readStatus = E_FAIL;
    int wrongResultAtChunk = 0; // BinaryRead returns wrongResult
    ReadResult wrongResult = ReadResult::Int4;
    // At most this many bytes per BinaryRead (short chunks); 0 = as asked.
    int32_t chunkLimit = 0;
    // BinaryRead leaves the asked count in place, claiming more than it
    // delivered; a real host writes back the bytes in the result.
    bool keepAskedCount = false;
};

class HostDouble
{
public:
    HostDouble();
    ~HostDouble(); // not copyable: it owns the host objects

    // The body served by BinaryRead; TotalBytes announces its size unless
    // AnnounceTotal says otherwise (the body may then be shorter or longer).
    void SetBody(std::vector<uint8_t> body);
    void AnnounceTotal(int32_t total) noexcept { m_announced = total; }

    HostFaults& Faults() noexcept { return m_faults; }

    // The scripting context to hand to OnStartPage. No reference is added:
    // the double owns it.
    IUnknown* Context() noexcept;

    // Number of references that callers still hold on the three objects.
    long References() const noexcept;

    // Host calls in order: "QueryInterface(IScriptingContext)",
    // "get_Request", "get_Response", "get_TotalBytes", "IsClientConnected",
    // "BinaryRead". AddRef/Release are not logged.
    const std::vector<std::string>& Calls() const noexcept { return m_calls; }
    // The count that each BinaryRead was asked for, and the bytes it
    // delivered in its result.
    const std::vector<int32_t>& AskedCounts() const noexcept { return m_asked; }
    const std::vector<int32_t>& ChunkSizes() const noexcept { return m_chunkSizes; }
    // Number of calls to one member, by its name in Calls().
    int CallCount(const std::string& member) const;

    // Replaces the handler of calls that the Upload object must never make.
    // The default fails the running test with the member's name.
    void SetUnexpectedCallHandler(std::function<void(const char* member)> handler)
    {
        m_unexpected = std::move(handler);
    }

    struct State;

private:
    // The host objects (HostDouble.cpp) serve the body and record the calls.
    template <class> friend class HostObjectBase;
    friend class ContextObject;
    friend class RequestObject;
    friend class ResponseObject;
    std::vector<uint8_t> m_body;
    size_t m_served = 0;
    std::optional<int32_t> m_announced; // none: the body's size
    HostFaults m_faults;
    std::vector<std::string> m_calls;
    std::vector<int32_t> m_asked;
    std::vector<int32_t> m_chunkSizes;
    std::function<void(const char*)> m_unexpected;
    std::unique_ptr<State> m_state;
};
