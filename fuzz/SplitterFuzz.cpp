// Splits arbitrary bytes as a posted body under the automatic page code,
// UTF-8 and GBK, and checks what every split must satisfy: records in body
// order and inside the body, sizes not negative, a zero byte after each
// content, the cursor inside the body, and a failure leaving nothing
// behind. Each part's content is also checked against the byte-by-byte
// scan. The body is allocated at exactly its size, so AddressSanitizer sees
// any access beyond it.
#include "support/SplitterReference.h"
#include "upload/UploadBody.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void SplitUnder(const uint8_t* data, int32_t size, int32_t pageCode)
{
    CUploadBody body;
    Check(body.AllocBody(size) == S_OK);
    Check(body.AppendBody(data, size) == size);
    const uint8_t* begin = body.BodyData();
    const uint8_t* end = begin + size;
    const HRESULT result = body.ParseBody(pageCode);
    if (FAILED(result)) {
        Check(result == DISP_E_EXCEPTION);
        Check(!body.HasBody() && body.BodyLength() == 0 && body.Fields().GetSize() == 0);
        Check(body.Cursor() == 0 && body.DelimiterLength() == 0);
        return;
    }
    Check(result == 1 && body.DelimiterLength() == 0);
    Check(body.Cursor() >= 0 && body.Cursor() <= size);
    const uint8_t* previousEnd = begin;
    for (int32_t i = 0; i < body.Fields().GetSize(); ++i) {
        const CAspUploadFormField& field = *body.Fields().ElementAt(i);
        Check(field.size >= 0 && field.data >= previousEnd && field.data < end);
        Check(field.size < end - field.data && field.data[field.size] == 0);
        previousEnd = field.data + field.size + 1;
        for (BSTR text : {field.name, field.fileName, field.contentType})
            Check(!text || text[SysStringLen(text)] == 0);
    }
    Check(pageCode == 65535 || pageCode == 65001 || pageCode == 0 || pageCode == 936);
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
    Check(body.FindFirstDelimiter(step) == S_OK && step == CUploadBody::SplitStep::kPartFollows);
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
    Check(record.size == expected.size && record.data == body.BodyData() + start);
    Check(body.Cursor() == expected.cursor);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const int32_t length = static_cast<int32_t>(size);
    for (int32_t pageCode : {65535, 65001, 936})
        SplitUnder(data, length, pageCode);
    ScanContent(data, length);
    return 0;
}
