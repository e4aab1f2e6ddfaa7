#include "upload/UploadRequest.h"

#include "support/HostDouble.h"
#include "support/ThreadError.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

const std::string kHead = "--XYZ\r\nContent-Disposition: form-data; name=\"file1\"; "
                          "filename=\"a.bin\"\r\nContent-Type: application/octet-stream\r\n\r\n";
const std::string kTail = "\r\n--XYZ--\r\n";

// A multipart body of exactly total bytes with one file part whose content
// is filled with letters.
std::vector<uint8_t> MultipartBody(size_t total)
{
    const size_t frame = kHead.size() + kTail.size();
    std::string text = kHead + std::string(total > frame ? total - frame : 0, 'q') + kTail;
    return std::vector<uint8_t>(text.begin(), text.end());
}

class UploadRequestTest : public testing::Test
{
protected:
    void SetUp() override { ClearThreadError(); }
    void TearDown() override { m_request.OnEndPage(); }

    void StartPage() { ASSERT_EQ(S_OK, m_request.OnStartPage(m_host.Context())); }

    HostDouble m_host;
    CUploadRequest m_request;
};

// What a failure leaves and what the next call then does.
enum class After
{
    MarkSetNothingKept, // the next call succeeds with nothing, asks nothing
    DiscardedMarkClear, // the next call asks the host again
};

const HRESULT kHostStatus = static_cast<HRESULT>(0x80070005); // a host's own failure
const wchar_t kNotBytes[] = L"Fail to Request -> BinaryRead";

struct FailureRow
{
    const char* label;
    // Programs the fault; null: no page start, so there is no host.
    void (*arrange)(HostFaults&, CUploadRequest&);
    HRESULT status;
    const wchar_t* message; // null: no error information
    After after;
    HRESULT secondStatus; // of the next call
    int32_t secondCount;  // records after the next call
};

const FailureRow kFailureRows[] = {
    {"no host", nullptr, CO_E_NOT_SUPPORTED, L"Only use in ASP environment",
     After::MarkSetNothingKept, S_OK, 0},
    {"TotalBytes fails", [](HostFaults& f, CUploadRequest&) { f.totalBytes = kHostStatus; },
     kHostStatus, nullptr, After::MarkSetNothingKept, S_OK, 0},
    {"total above MaxSize", [](HostFaults&, CUploadRequest& r) { r.SetMaxSize(599999); },
     DISP_E_OVERFLOW, L"The file size is over the limitation set", After::MarkSetNothingKept, S_OK,
     0},
    {"IsClientConnected fails",
     [](HostFaults& f, CUploadRequest&) {
         f.connectedCheckFailsAtChunk = 1;
         f.connectedCheckStatus = kHostStatus;
     },
     kHostStatus, nullptr, After::DiscardedMarkClear, S_FALSE, 1},
    // The host has only the rest of the body left to give, which holds no
    // delimiter line at its start.
    {"client gone before the second chunk",
     [](HostFaults& f, CUploadRequest&) { f.clientGoneBeforeChunk = 2; }, E_ABORT,
     L"User abort upload", After::DiscardedMarkClear, S_FALSE, 0},
    {"BinaryRead fails",
     [](HostFaults& f, CUploadRequest&) {
         f.readFailsAtChunk = 1;
         f.readStatus = kHostStatus;
     },
     kHostStatus, nullptr, After::DiscardedMarkClear, S_FALSE, 1},
    {"result is VT_I4", [](HostFaults& f, CUploadRequest&) { f.wrongResult = ReadResult::Int4; },
     E_POINTER, kNotBytes, After::DiscardedMarkClear, S_FALSE, 1},
    {"result is VT_EMPTY",
     [](HostFaults& f, CUploadRequest&) { f.wrongResult = ReadResult::Empty; }, E_POINTER,
     kNotBytes, After::DiscardedMarkClear, S_FALSE, 1},
    {"result is an array of VT_I2",
     [](HostFaults& f, CUploadRequest&) { f.wrongResult = ReadResult::ShortArray; }, E_POINTER,
     kNotBytes, After::DiscardedMarkClear, S_FALSE, 1},
    {"result is a byte array type holding no array",
     [](HostFaults& f, CUploadRequest&) { f.wrongResult = ReadResult::NullByteArray; }, E_POINTER,
     kNotBytes, After::DiscardedMarkClear, S_FALSE, 1},
    // A chunk shorter than the host claims leaves a body that is no
    // multipart; the rest of it holds no delimiter line at its start.
    {"body cut short",
     [](HostFaults& f, CUploadRequest&) {
         f.chunkLimit = 1000;
         f.keepAskedCount = true;
     },
     DISP_E_EXCEPTION, L"Invalid upload file format", After::DiscardedMarkClear, S_FALSE, 0},
};

TEST_F(UploadRequestTest, EachFailureReportsItsMessageAndLeavesItsState)
{
    const std::wstring source = RegisteredUploadProgId();
    for (const FailureRow& row : kFailureRows) {
        SCOPED_TRACE(row.label);
        HostDouble host;
        CUploadRequest request;
        ClearThreadError();
        host.SetBody(MultipartBody(600000));
        if (row.arrange) {
            // The first chunk has the right shape unless the row changes it.
            host.Faults().wrongResultAtChunk = 1;
            host.Faults().wrongResult = ReadResult::Bytes;
            row.arrange(host.Faults(), request);
            ASSERT_EQ(S_OK, request.OnStartPage(host.Context()));
        }

        EXPECT_EQ(row.status, request.ReadAndParse());
        const ThreadError error = TakeThreadError();
        if (row.message) {
            ASSERT_TRUE(error.present);
            EXPECT_EQ(row.message, error.description);
            EXPECT_EQ(source, error.source);
            EXPECT_TRUE(IsEqualGUID(GUID_NULL, error.guid));
        } else {
            EXPECT_FALSE(error.present) << "a host status carries no message";
        }
        EXPECT_FALSE(request.Body()->HasBody());
        EXPECT_EQ(0, request.Count());
        EXPECT_EQ(row.after == After::MarkSetNothingKept, request.IsParsed());

        const size_t callsBefore = host.Calls().size();
        EXPECT_EQ(row.secondStatus, request.ReadAndParse());
        EXPECT_EQ(row.secondCount, request.Count());
        if (row.after == After::MarkSetNothingKept) {
            EXPECT_EQ(callsBefore, host.Calls().size()) << "the host was asked again";
        } else {
            ASSERT_LT(callsBefore, host.Calls().size()) << "the host was not asked again";
            EXPECT_EQ("get_TotalBytes", host.Calls()[callsBefore]);
        }
        request.OnEndPage();
    }
}

TEST_F(UploadRequestTest, BodyArrivesInChunksOfTheFixedSize)
{
    m_host.SetBody(MultipartBody(600000));
    StartPage();
    EXPECT_EQ(S_FALSE, m_request.ReadAndParse());
    EXPECT_EQ((std::vector<int32_t>{262144, 262144, 262144}), m_host.AskedCounts());
    EXPECT_EQ((std::vector<int32_t>{262144, 262144, 75712}), m_host.ChunkSizes());
    EXPECT_EQ((std::vector<std::string>{"QueryInterface(IScriptingContext)", "get_Request",
                                        "get_Response", "get_TotalBytes", "IsClientConnected",
                                        "BinaryRead", "IsClientConnected", "BinaryRead",
                                        "IsClientConnected", "BinaryRead"}),
              m_host.Calls());
    EXPECT_EQ(600000, m_request.Body()->BodyLength());
    EXPECT_EQ(600000, m_request.Body()->BodyCapacity());
    ASSERT_EQ(1, m_request.Count());
    const size_t contentSize = 600000 - kHead.size() - kTail.size();
    const CAspUploadFormField& field = *m_request.Body()->Fields().ElementAt(0);
    EXPECT_EQ(std::string(contentSize, 'q'),
              std::string(reinterpret_cast<const char*>(field.data), field.size));
}

TEST_F(UploadRequestTest, SizeLimitIsComparedSignedBeforeAnyRead)
{
    const struct
    {
        const char* label;
        int32_t maxSize;
        int32_t total;
        HRESULT status;
        int reads;
    } rows[] = {
        {"exactly MaxSize", 1000, 1000, S_FALSE, 1},
        {"MaxSize + 1", 1000, 1001, DISP_E_OVERFLOW, 0},
        {"MaxSize 0", 0, 1000, DISP_E_OVERFLOW, 0},
        {"negative MaxSize", -1, 1000, DISP_E_OVERFLOW, 0},
        {"largest MaxSize", INT_MAX, 1000, S_FALSE, 1},
        {"empty request", 1000, 0, S_OK, 0},
        {"empty request, negative MaxSize", -5, 0, S_OK, 0},
        {"negative total", 1000, -7, S_OK, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        HostDouble host;
        CUploadRequest request;
        host.SetBody(MultipartBody(row.total > 0 ? row.total : 0));
        host.AnnounceTotal(row.total);
        request.SetMaxSize(row.maxSize);
        ASSERT_EQ(S_OK, request.OnStartPage(host.Context()));
        EXPECT_EQ(row.status, request.ReadAndParse());
        EXPECT_EQ(row.reads, host.CallCount("BinaryRead"));
        EXPECT_EQ(row.reads, host.CallCount("IsClientConnected"));
        EXPECT_EQ(row.reads, request.Count());
        request.OnEndPage();
        ClearThreadError();
    }
}

TEST_F(UploadRequestTest, ShortChunksAreReadUntilTheTotal)
{
    m_host.SetBody(MultipartBody(5000));
    m_host.Faults().chunkLimit = 1000;
    StartPage();
    EXPECT_EQ(S_FALSE, m_request.ReadAndParse());
    EXPECT_EQ((std::vector<int32_t>(5, 1000)), m_host.ChunkSizes());
    EXPECT_EQ((std::vector<int32_t>(5, 262144)), m_host.AskedCounts());
    EXPECT_EQ(1, m_request.Count());
}

TEST_F(UploadRequestTest, HostWithNothingLeftEndsReadingWithoutHanging)
{
    m_host.AnnounceTotal(600000);
    StartPage();
    EXPECT_EQ(S_FALSE, m_request.ReadAndParse());
    EXPECT_EQ(1, m_host.CallCount("BinaryRead"));
    EXPECT_EQ(0, m_request.Count());
}

TEST_F(UploadRequestTest, BytesBeyondTheAnnouncedTotalAreNotStored)
{
    std::vector<uint8_t> body = MultipartBody(300);
    const std::vector<uint8_t> announced = body;
    body.insert(body.end(), 5000, 'x');
    m_host.SetBody(body);
    m_host.AnnounceTotal(300);
    StartPage();
    EXPECT_EQ(S_FALSE, m_request.ReadAndParse());
    EXPECT_EQ(300, m_request.Body()->BodyLength());
    EXPECT_EQ(300, m_request.Body()->BodyCapacity());
    EXPECT_EQ(1, m_request.Count());
}

TEST_F(UploadRequestTest, SuccessfulParseIsNotRepeated)
{
    // The first line is a bare "--", so no delimiter is found and there are
    // no items; parsing again from where that search stopped would find
    // the delimiter on the next line and change the answer.
    const std::string body =
        "--\r\n--XYZ\r\nContent-Disposition: form-data; name=\"a\"\r\n\r\n1\r\n--XYZ--\r\n";
    m_host.SetBody({body.begin(), body.end()});
    StartPage();
    EXPECT_EQ(S_FALSE, m_request.ReadAndParse());
    EXPECT_EQ(0, m_request.Count());
    EXPECT_EQ(S_OK, m_request.ReadAndParse());
    EXPECT_EQ(0, m_request.Count());
    EXPECT_EQ(1, m_host.CallCount("get_TotalBytes"));
}

TEST_F(UploadRequestTest, FailedStartPageHoldsNothing)
{
    const struct
    {
        const char* label;
        HRESULT HostFaults::*fault;
        std::vector<std::string> calls;
    } rows[] = {
        {"no scripting context", &HostFaults::contextQuery, {"QueryInterface(IScriptingContext)"}},
        {"get_Request fails",
         &HostFaults::getRequest,
         {"QueryInterface(IScriptingContext)", "get_Request"}},
        {"get_Response fails",
         &HostFaults::getResponse,
         {"QueryInterface(IScriptingContext)", "get_Request", "get_Response"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        HostDouble host;
        CUploadRequest request;
        host.Faults().*row.fault = kHostStatus;
        EXPECT_EQ(kHostStatus, request.OnStartPage(host.Context()));
        EXPECT_EQ(row.calls, host.Calls());
        EXPECT_EQ(0, host.References());
        EXPECT_EQ(CO_E_NOT_SUPPORTED, request.ReadAndParse()) << "a failed start binds nothing";
        ClearThreadError();
    }
    EXPECT_EQ(E_POINTER, m_request.OnStartPage(nullptr));
}

} // namespace
