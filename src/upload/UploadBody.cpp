// The multipart splitter: finds the delimiter on the body's first line, then
// for each part reads its header lines and locates its content up to the
// next delimiter line, until the closing delimiter.
//
// The splitter is lenient where clients differ and strict where a mistake
// would lose data: line breaks may be CR LF or a bare LF, anything after
// the closing delimiter is ignored, and a delimiter line counts only when
// it holds exactly the delimiter (and "--" for the closing one), so lookalike
// lines inside content stay content.
#include "upload/UploadBody.h"

#include <cstring>

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr uint8_t kHyphen = 0x2D;
constexpr uint8_t kQuote = 0x22;
constexpr uint8_t kSpace = 0x20;

constexpr char kContentType[] = "content-type:";
constexpr int32_t kContentTypeLength = 13;
constexpr char kContentDisposition[] = "content-disposition:";
constexpr int32_t kContentDispositionLength = 20;
constexpr char kNameParameter[] = " name=";
constexpr int32_t kNameParameterLength = 6;
constexpr char kFileNameParameter[] = " filename=";
constexpr int32_t kFileNameParameterLength = 10;

// A form with no named fields is sent as its closing delimiter line alone:
// "--boundary--" followed by nothing but line breaks. The line's text
// (after the leading "--") is the length bytes at start.
bool IsEmptyFormClosingLine(const uint8_t* body, int32_t bodyLength, int32_t start, int32_t length)
{
    if (length < 2 || body[start + length - 1] != kHyphen || body[start + length - 2] != kHyphen)
        return false;
    for (int32_t i = start + length; i < bodyLength; ++i) {
        if (body[i] != kCr && body[i] != kLf)
            return false;
    }
    return true;
}

uint8_t LowerAscii(uint8_t byte)
{
    return (byte >= 'A' && byte <= 'Z') ? static_cast<uint8_t>(byte + 32) : byte;
}

// The header name is matched without regard to the case of ASCII letters;
// lowerName is already lower case. text is zero-terminated and lowerName
// holds no zero, so the comparison stops at the terminator at the latest.
bool StartsWithHeader(const uint8_t* text, const char* lowerName, int32_t nameLength)
{
    for (int32_t k = 0; k < nameLength; ++k) {
        if (LowerAscii(text[k]) != static_cast<uint8_t>(lowerName[k]))
            return false;
    }
    return true;
}

// First indexes in [from, to) of " name=" and of " filename=" (exact,
// case-sensitive), or -1. One pass over the blanks of the line.
void FindParameters(const uint8_t* bytes, int32_t from, int32_t to, int32_t& name,
                    int32_t& fileName)
{
    name = fileName = -1;
    for (int32_t i = from; i < to && (name < 0 || fileName < 0); ++i) {
        if (bytes[i] != kSpace)
            continue;
        if (name < 0 && to - i >= kNameParameterLength &&
            std::memcmp(bytes + i, kNameParameter, kNameParameterLength) == 0)
            name = i;
        else if (fileName < 0 && to - i >= kFileNameParameterLength &&
                 std::memcmp(bytes + i, kFileNameParameter, kFileNameParameterLength) == 0)
            fileName = i;
    }
}

void ReplaceString(BSTR& slot, BSTR value)
{
    SysFreeString(slot);
    slot = value;
}

} // namespace

HRESULT CUploadBody::AllocBody(int32_t size)
{
    ResetBody();
    if (size < 0)
        return E_INVALIDARG;
    // One byte for an empty body too, so that an empty body is present.
    Bytes body(static_cast<uint8_t*>(std::malloc(size > 0 ? static_cast<size_t>(size) : 1)));
    if (!body)
        return E_OUTOFMEMORY;
    m_body = std::move(body);
    m_bodyCapacity = size;
    return S_OK;
}

int32_t CUploadBody::AppendBody(const uint8_t* bytes, int32_t count)
{
    if (!m_body || !bytes || count <= 0)
        return 0;
    const int32_t room = m_bodyCapacity - m_bodyLength;
    const int32_t taken = count < room ? count : room;
    if (taken > 0)
        std::memcpy(m_body.get() + m_bodyLength, bytes, static_cast<size_t>(taken));
    m_bodyLength += taken;
    return taken;
}

void CUploadBody::SetBodyLength(int32_t length)
{
    m_bodyLength = length < 0 ? 0 : (length > m_bodyCapacity ? m_bodyCapacity : length);
}

void CUploadBody::ResetBody()
{
    m_formFields.Empty();
    m_body.reset();
    FreeDelimiter();
    m_bodyCapacity = 0;
    m_bodyLength = 0;
    m_cursor = 0;
}

void CUploadBody::FreeDelimiter()
{
    m_delimiter.reset();
    m_delimiterLength = 0;
}

HRESULT CUploadBody::ParseBody(int32_t& pageCode)
{
    PageCodeRef access(pageCode);
    return ParseBody(access);
}

HRESULT CUploadBody::ParseBody(PageCodeAccess& pageCode)
{
    SplitStep step = SplitStep::kEnd;
    HRESULT result = FindFirstDelimiter(step);
    while (SUCCEEDED(result) && step == SplitStep::kPartFollows) {
        CAspUploadFormField* record = m_formFields.Add();
        if (!record) {
            result = E_OUTOFMEMORY;
            break;
        }
        result = ParsePartHeaders(*record, pageCode);
        if (FAILED(result))
            break;
        result = ParsePartContent(*record, step);
    }
    if (FAILED(result)) {
        ResetBody();
        return result;
    }
    FreeDelimiter();
    return S_FALSE;
}

int32_t CUploadBody::LineLength(int32_t start) const
{
    if (start < 0 || start >= m_bodyLength)
        return -1;
    const uint8_t* body = m_body.get();
    const int32_t lf = m_scan->findLineFeed(body, start, m_bodyLength);
    if (lf < 0)
        return -1;
    // The CR of a CR LF pair is not part of the line; a CR before start is
    // not this line's.
    return lf - start - ((lf > start && body[lf - 1] == kCr) ? 1 : 0);
}

void CUploadBody::SkipLineBreak()
{
    const uint8_t* body = m_body.get();
    if (m_cursor < m_bodyLength && body[m_cursor] == kCr)
        ++m_cursor;
    if (m_cursor < m_bodyLength && body[m_cursor] == kLf)
        ++m_cursor;
}

HRESULT CUploadBody::FindFirstDelimiter(SplitStep& step)
{
    step = SplitStep::kEnd;
    const uint8_t* body = m_body.get();
    // Blank lines (CR and LF bytes in any number) before the first delimiter
    // line are passed over; any other first byte means the body holds no
    // delimiter at all, which is no failure: there are simply no parts.
    while (m_cursor < m_bodyLength) {
        const uint8_t byte = body[m_cursor];
        if (byte == kHyphen && m_bodyLength - m_cursor >= 2 && body[m_cursor + 1] == kHyphen) {
            m_cursor += 2;
            const int32_t length = LineLength(m_cursor);
            m_delimiterLength = length;
            // A bare "--" line, a first line with no line break after it, or
            // the closing line of an empty form: no parts.
            if (length < 1 || IsEmptyFormClosingLine(body, m_bodyLength, m_cursor, length))
                return S_OK;
            Bytes delimiter(static_cast<uint8_t*>(std::malloc(static_cast<size_t>(length) + 2)));
            if (!delimiter)
                return E_OUTOFMEMORY;
            std::memcpy(delimiter.get(), body + m_cursor, static_cast<size_t>(length));
            delimiter.get()[length] = kHyphen;
            delimiter.get()[length + 1] = kHyphen;
            m_delimiter = std::move(delimiter);
            m_cursor += length;
            SkipLineBreak();
            step = SplitStep::kPartFollows;
            return S_OK;
        }
        if (byte != kCr && byte != kLf)
            return S_OK;
        ++m_cursor;
    }
    return S_OK;
}

HRESULT CUploadBody::ParsePartHeaders(CAspUploadFormField& record, PageCodeAccess& pageCode)
{
    uint8_t* body = m_body.get();
    for (;;) {
        const int32_t length = LineLength(m_cursor);
        // The header block must end with a blank line before the body does.
        if (length < 0)
            return DISP_E_EXCEPTION;
        if (length == 0) {
            SkipLineBreak();
            return S_OK;
        }
        const int32_t start = m_cursor;
        const int32_t end = start + length;
        // The line's CR (or its LF, when it ends in a bare LF) becomes the
        // zero that terminates it.
        body[end] = 0;
        const HRESULT result = ParseHeaderLine(record, pageCode, start, end);
        if (FAILED(result))
            return result;
        // After a CR LF line the cursor lands on the LF and the skip passes
        // it. After a line ended by a bare LF the cursor is already on the
        // next line, and the skip also swallows a CR and an LF there: a bare
        // LF blank line right after a bare LF header line is not taken as
        // the end of the headers.
        m_cursor = end + 1;
        SkipLineBreak();
    }
}

HRESULT CUploadBody::ParseHeaderLine(CAspUploadFormField& record, PageCodeAccess& pageCode,
                                     int32_t start, int32_t end)
{
    const uint8_t* body = m_body.get();
    if (StartsWithHeader(body + start, kContentType, kContentTypeLength)) {
        int32_t value = start + kContentTypeLength;
        // One blank after the colon is optional; a second one stays in the
        // value.
        if (body[value] == kSpace)
            ++value;
        BSTR text = nullptr;
        const HRESULT result = DecodeHeaderText(reinterpret_cast<const char*>(body + value), &text);
        if (FAILED(result))
            return result;
        ReplaceString(record.contentType, text);
        return S_OK;
    }
    if (!StartsWithHeader(body + start, kContentDisposition, kContentDispositionLength))
        return S_OK; // Other headers are ignored.
    // A zero byte sent inside the line ends its text there.
    const void* zero = std::memchr(body + start, 0, static_cast<size_t>(end - start) + 1);
    const int32_t textEnd = static_cast<int32_t>(static_cast<const uint8_t*>(zero) - body);
    // Parameters are found by exact, case-sensitive text with the blank
    // before them: "Name=" or "form-data;name=" names nothing. Both
    // searches start right after the header name, so " filename=" is found
    // wherever it stands relative to " name=".
    int32_t name;
    int32_t fileName;
    FindParameters(body, start + kContentDispositionLength, textEnd, name, fileName);
    if (name >= 0) {
        const HRESULT result =
            TakeParameter(record.name, pageCode, name + kNameParameterLength, textEnd);
        if (FAILED(result))
            return result;
    }
    if (fileName >= 0) {
        const HRESULT result =
            TakeParameter(record.fileName, pageCode, fileName + kFileNameParameterLength, textEnd);
        if (FAILED(result))
            return result;
    }
    return S_OK;
}

HRESULT CUploadBody::TakeParameter(BSTR& slot, PageCodeAccess& pageCode, int32_t valueStart,
                                   int32_t textEnd)
{
    const uint8_t* body = m_body.get();
    // The value may be quoted. An unquoted value runs to the next double
    // quote anywhere later in the line, or to the line's end: in
    // name=a; filename="b" the name is `a; filename=`. The byte at textEnd
    // is the line's terminating zero, so reading it is safe.
    int32_t value = valueStart;
    if (body[value] == kQuote)
        ++value;
    int32_t valueEnd = value;
    if (body[value] != kQuote) {
        while (valueEnd < textEnd && body[valueEnd] != kQuote)
            ++valueEnd;
    }
    BSTR text = nullptr;
    if (DecodeUnderPageCode(body + value, valueEnd - value, pageCode, &text) == kDecodeOutOfMemory)
        return E_OUTOFMEMORY;
    // An empty value, or one the code page cannot convert, keeps what the
    // record held.
    if (text)
        ReplaceString(slot, text);
    return S_OK;
}

HRESULT CUploadBody::ParsePartContent(CAspUploadFormField& record, SplitStep& step)
{
    step = SplitStep::kEnd;
    uint8_t* body = m_body.get();
    const int32_t start = m_cursor;
    if (start >= m_bodyLength || !m_delimiter)
        return DISP_E_EXCEPTION;
    const int32_t delimiterLength = m_delimiterLength;
    const uint8_t lastDelimiterByte = m_delimiter.get()[delimiterLength - 1];
    int32_t from = start;
    for (;;) {
        // An LF "--" whose line cannot hold the delimiter's last byte in its
        // place is rejected by the rule anyway; the search passes over it.
        const int32_t lf = m_scan->findLineFeedDashDash(body, from, m_bodyLength,
                                                        delimiterLength + 2, lastDelimiterByte);
        // The last part never met a delimiter line.
        if (lf < 0)
            return DISP_E_EXCEPTION;
        // A rejected LF "--" makes the scan pass over the byte after it, so
        // an LF "--" right behind one is not looked at. Such chains are
        // rare; walk back to the chain's start, which is looked at, as is
        // every second link after it.
        int32_t chainStart = lf;
        while (chainStart - 3 >= from && body[chainStart - 3] == kLf &&
               body[chainStart - 2] == kHyphen && body[chainStart - 1] == kHyphen)
            chainStart -= 3;
        if ((lf - chainStart) % 6 != 0) {
            from = lf + 1;
            continue;
        }
        const int32_t lineStart = lf + 3;
        const DelimiterLine match = MatchDelimiterLine(lineStart, from);
        if (match == DelimiterLine::kContent)
            continue; // A lookalike: LF "--" and other text stays content.
        // The line break before the delimiter line belongs to it: CR LF, or
        // a bare LF. A bare LF keeps the content's last byte.
        const int32_t size = lf - start - ((lf > start && body[lf - 1] == kCr) ? 1 : 0);
        record.data = body + start;
        record.size = size;
        // The CR (or the bare LF) before the delimiter line becomes the zero
        // after the content.
        body[start + size] = 0;
        // After the closing delimiter the cursor stays on its "--"; the rest
        // of the body is never read.
        m_cursor = lineStart + m_delimiterLength;
        SkipLineBreak();
        if (match == DelimiterLine::kOrdinary)
            step = SplitStep::kPartFollows;
        return S_OK;
    }
}

// Decides whether the line at lineStart is a delimiter line: exactly the
// delimiter text (kOrdinary) or exactly the text and "--" (kClosing), ended
// by CR LF, a bare LF or the body's end. Anything else, blanks included,
// makes it content (kContent). resume is where the search for the next LF "--" goes
// on: the byte at lineStart is never examined again, and the line's own
// bytes cannot start a delimiter line, so the search skips to the line's LF.
CUploadBody::DelimiterLine CUploadBody::MatchDelimiterLine(int32_t lineStart, int32_t& resume) const
{
    const uint8_t* body = m_body.get();
    const int32_t delimiterLength = m_delimiterLength;
    // Only lines up to the delimiter length + 2 can match, so the LF is
    // looked for no further than that line plus its CR LF.
    const int64_t window = static_cast<int64_t>(lineStart) + delimiterLength + 4;
    const int32_t windowEnd = window < m_bodyLength ? static_cast<int32_t>(window) : m_bodyLength;
    const int32_t lf = m_scan->findLineFeed(body, lineStart, windowEnd);
    int32_t lineLength;
    if (lf >= 0) {
        lineLength = lf - lineStart - ((lf > lineStart && body[lf - 1] == kCr) ? 1 : 0);
        resume = lf > lineStart ? lf : lineStart + 1;
    } else if (windowEnd == m_bodyLength) {
        // A delimiter line may end the body without a line break.
        lineLength = m_bodyLength - lineStart;
        resume = m_bodyLength;
    } else {
        resume = windowEnd;
        return DelimiterLine::kContent;
    }
    const uint8_t* delimiter = m_delimiter.get();
    if (lineLength == delimiterLength &&
        std::memcmp(body + lineStart, delimiter, static_cast<size_t>(lineLength)) == 0)
        return DelimiterLine::kOrdinary;
    if (lineLength == delimiterLength + 2 &&
        std::memcmp(body + lineStart, delimiter, static_cast<size_t>(lineLength)) == 0)
        return DelimiterLine::kClosing;
    return DelimiterLine::kContent;
}
