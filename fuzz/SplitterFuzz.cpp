// Splits arbitrary bytes as a posted body under the automatic page code,
// UTF-8 and GBK, and checks what every split must satisfy: records in body
// order and inside the body, sizes not negative, a zero byte after each
// content, the cursor inside the body, and a failure leaving nothing
// behind. Each part's content is also checked against the byte-by-byte
// scan. The body is allocated at exactly its size, so AddressSanitizer sees
// any access beyond it.
//
// Every scan path built for the machine is checked on every input (a
// differential check): the split on each path must give the same records,
// and each path's searches, walked over the whole input, must find what the
// byte-by-byte rule finds.
#include "support/SplitterReference.h"
#include "upload/body/UploadBody.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// What a split gave, in offsets from the body's start.
struct SplitResult
{
    HRESULT result = S_OK;
    int32_t cursor = 0;
    std::vector<int32_t> records; // per record: data offset, size
};

SplitResult SplitUnder(const uint8_t* data, int32_t size, int32_t pageCode,
                       const ByteScanPath& path)
{
    SplitResult split;
    CUploadBody body;
    body.UseScanPath(path);
    Check(body.AllocBody(size) == S_OK);
    Check(body.AppendBody(data, size) == size);
    const uint8_t* begin = body.BodyData();
    const uint8_t* end = begin + size;
    const HRESULT result = body.ParseBody(pageCode);
    split.result = result;
    if (FAILED(result)) {
        Check(result == DISP_E_EXCEPTION);
        Check(!body.HasBody());
        Check(body.BodyLength() == 0);
        Check(body.Fields().GetSize() == 0);
        Check(body.Cursor() == 0);
        Check(body.DelimiterLength() == 0);
        return split;
    }
    split.cursor = body.Cursor();
    Check(result == 1);
    Check(body.DelimiterLength() == 0);
    Check(body.Cursor() >= 0);
    Check(body.Cursor() <= size);
    const uint8_t* previousEnd = begin;
    for (int32_t i = 0; i < body.Fields().GetSize(); ++i) {
        const CAspUploadFormField& field = *body.Fields().ElementAt(i);
        Check(field.size >= 0);
        Check(field.data >= previousEnd);
        Check(field.data < end);
        Check(field.size < end - field.data);
        Check(field.data[field.size] == 0);
        previousEnd = field.data + field.size + 1;
        split.records.push_back(static_cast<int32_t>(field.data - begin));
        split.records.push_back(field.size);
        for (BSTR text : {field.name, field.fileName, field.contentType})
            Check(!text || text[SysStringLen(text)] == 0);
    }
    Check(pageCode == 65535 || pageCode == 65001 || pageCode == 0 || pageCode == 936);
    return split;
}

bool operator==(const SplitResult& a, const SplitResult& b)
{
    return a.result == b.result && a.cursor == b.cursor && a.records == b.records;
}

// Every hit of a search from the input's start to its end, each search
// going on just past the previous hit.
template <typename Search> std::vector<int32_t> Walk(int32_t size, Search search)
{
    std::vector<int32_t> hits;
    for (int32_t from = 0; from <= size;) {
        const int32_t hit = search(from);
        if (hit < 0)
            break;
        hits.push_back(hit);
        from = hit + 1;
    }
    return hits;
}

// The offset and the wanted byte of the LF "--" search come from the
// input's first two bytes.
void CompareSearches(const uint8_t* data, int32_t size)
{
    const int32_t offset = 3 + (size > 0 ? data[0] % 61 : 0);
    const uint8_t value = size > 1 ? data[1] : '-';
    const std::vector<int32_t> lineFeeds =
        Walk(size, [&](int32_t from) { return ReferenceLineFeed(data, from, size); });
    const std::vector<int32_t> starts = Walk(size, [&](int32_t from) {
        return ReferenceLineFeedDashDash(data, from, size, offset, value);
    });
    for (const ByteScanPath* path : kScanPaths) {
        Check(Walk(size, [&](int32_t from) { return path->findLineFeed(data, from, size); }) ==
              lineFeeds);
        Check(Walk(size, [&](int32_t from) {
                  return path->findLineFeedDashDash(data, from, size, offset, value);
              }) == starts);
    }
}

// The whole input as one part's content after a fixed delimiter line: the
// block-wise scan must agree with the byte-by-byte one.
void ScanContent(const uint8_t* data, int32_t size)
{
    static const char kPrefix[] = "--XY\r\n";
    const int32_t prefixLength = sizeof kPrefix - 1;
    std::vector<uint8_t> text(kPrefix, kPrefix + prefixLength);
    text.insert(text.end(), data, data + size);
    const int32_t length = static_cast<int32_t>(text.size());
    CUploadBody body;
    Check(body.AllocBody(length) == S_OK);
    body.AppendBody(text.data(), length);
    CUploadBody::SplitStep step = CUploadBody::SplitStep::kEnd;
    Check(body.FindFirstDelimiter(step) == S_OK);
    Check(step == CUploadBody::SplitStep::kPartFollows);
    const int32_t start = body.Cursor();
    const ReferenceContent expected =
        ReferenceScan(text.data(), length, start, reinterpret_cast<const uint8_t*>("XY--"), 2);
    CAspUploadFormField record;
    const HRESULT result = body.ParsePartContent(record, step);
    if (!expected.found) {
        Check(result == DISP_E_EXCEPTION);
        return;
    }
    Check(result == S_OK);
    Check(step ==
          (expected.closing ? CUploadBody::SplitStep::kEnd : CUploadBody::SplitStep::kPartFollows));
    Check(record.size == expected.size);
    Check(record.data == body.BodyData() + start);
    Check(body.Cursor() == expected.cursor);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const int32_t length = static_cast<int32_t>(size);
    const SplitResult automatic = SplitUnder(data, length, 65535, *kScanPaths[0]);
    for (int32_t pageCode : {65001, 936})
        SplitUnder(data, length, pageCode, *kScanPaths[0]);
    for (int k = 1; k < kScanPathCount; ++k)
        Check(SplitUnder(data, length, 65535, *kScanPaths[k]) == automatic);
    ScanContent(data, length);
    CompareSearches(data, length);
    return 0;
}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::fprintf(stderr, "fuzz_splitter: splits and searches compared on the scan paths");
    for (const ByteScanPath* path : kScanPaths)
        std::fprintf(stderr, " %s", path->name);
    std::fprintf(stderr, "\n");
    return 0;
}
