// Parses the head of an HTTP/1.x request and decides how its body is framed.
// The parser is strict where leniency would let two readers of the same bytes
// disagree (folded lines, spaces before a colon, bare CR, bare LF, control
// bytes) and tolerant only where that is harmless: empty lines, with CRLF or
// a bare LF, before the request line (some clients send a stray line end
// after a body).
#include "core/HttpHead.h"

#include <algorithm>
#include <cstring>

namespace {

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    }
    return true;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A byte that may not appear in a head line: C0 controls and DEL. A tab is
// allowed only inside field values, which check for it themselves.
bool IsControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

// A character of an HTTP token (method names and field names).
bool IsTokenChar(char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool IsToken(std::string_view text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsTokenChar);
}

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// "HTTP/1.D": any single-digit minor version is accepted, since every 1.x
// is read as 1.1 is; names are case-sensitive.
bool ParseVersion(std::string_view text, int& minor)
{
    const std::string_view prefix = "HTTP/1.";
    if (text.size() != prefix.size() + 1 || text.substr(0, prefix.size()) != prefix)
        return false;
    const char digit = text.back();
    if (digit < '0' || digit > '9')
        return false;
    minor = digit - '0';
    return true;
}

// "METHOD SP target SP HTTP/1.x", with exactly one space between the parts.
bool ParseRequestLine(std::string_view line, HttpHead& head)
{
    if (std::any_of(line.begin(), line.end(), IsControl))
        return false;
    const size_t first = line.find(' ');
    const size_t last = line.rfind(' ');
    if (first == std::string_view::npos || first == last)
        return false;
    const std::string_view method = line.substr(0, first);
    const std::string_view target = line.substr(first + 1, last - first - 1);
    if (!IsToken(method) || target.empty() || target.find(' ') != std::string_view::npos)
        return false;
    if (!ParseVersion(line.substr(last + 1), head.versionMinor))
        return false;
    head.method.assign(method);
    head.target.assign(target);
    const size_t question = target.find('?');
    head.path.assign(target.substr(0, question));
    head.query = question == std::string_view::npos ? std::string()
                                                    : std::string(target.substr(question + 1));
    return true;
}

// "Name: value". A line starting with a blank (an obsolete folded
// continuation) fails here because a blank is no token character, and so
// does a blank between the name and the colon.
bool ParseFieldLine(std::string_view line, HttpHead& head)
{
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = TrimBlanks(line.substr(colon + 1));
    if (!IsToken(name))
        return false;
    if (std::any_of(value.begin(), value.end(), [](char c) { return c != '\t' && IsControl(c); }))
        return false;
    head.headers.push_back({std::string(name), std::string(value)});
    return true;
}

bool ParseContentLength(std::string_view text, uint64_t& length)
{
    if (text.empty())
        return false;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        const auto digit = static_cast<uint64_t>(c - '0');
        if (value > (UINT64_MAX - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    length = value;
    return true;
}

// True when a comma-separated field value lists token in any letter case.
bool ListHasToken(std::string_view list, std::string_view token)
{
    while (!list.empty()) {
        const size_t comma = list.find(',');
        if (EqualsNoCase(TrimBlanks(list.substr(0, comma)), token))
            return true;
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return false;
}

bool AnyFieldListsToken(const HttpHead& head, std::string_view name, std::string_view token)
{
    return std::any_of(head.headers.begin(), head.headers.end(), [&](const HttpHeader& h) {
        return EqualsNoCase(h.name, name) && ListHasToken(h.value, token);
    });
}

// The body's length from every Content-Length field; 0 when there is none,
// 400 for a value that is not plain digits, overflows, or differs from an
// earlier one.
int ReadContentLength(const HttpHead& head, uint64_t& length)
{
    bool seen = false;
    for (const HttpHeader& field : head.headers) {
        if (!EqualsNoCase(field.name, "Content-Length"))
            continue;
        uint64_t value = 0;
        if (!ParseContentLength(field.value, value) || (seen && value != length))
            return 400;
        length = value;
        seen = true;
    }
    return 0;
}

int DecideRefusal(const HttpHead& head, uint64_t maxRequestBytes, uint64_t& contentLength)
{
    if (head.method != "GET" && head.method != "HEAD" && head.method != "POST")
        return 501;
    if (head.Find("Transfer-Encoding"))
        return 411;
    if (const int refusal = ReadContentLength(head, contentLength))
        return refusal;
    if (contentLength > maxRequestBytes)
        return 413;
    return 0;
}

} // namespace

const std::string* HttpHead::Find(std::string_view name) const
{
    for (const HttpHeader& field : headers) {
        if (EqualsNoCase(field.name, name))
            return &field.value;
    }
    return nullptr;
}

// Each line is taken when its LF arrives. The limit covers every byte since
// the last Reset, leading empty lines included, so that a client cannot make
// the host hold more than kMaxHeadBytes of head; only those bytes are ever
// looked at.
HeadParse HttpHeadReader::Read(std::string_view buffer, HttpHead& head, size_t& headLength)
{
    const size_t limit = std::min(buffer.size(), kMaxHeadBytes);
    while (m_result == HeadParse::Incomplete && m_scanned < limit) {
        const void* lf = memchr(buffer.data() + m_scanned, '\n', limit - m_scanned);
        if (!lf) {
            m_scanned = limit;
            break;
        }
        const auto lineEnd = static_cast<size_t>(static_cast<const char*>(lf) - buffer.data());
        m_scanned = lineEnd + 1;
        m_result = TakeLine(buffer, lineEnd);
    }
    if (m_result == HeadParse::Incomplete && buffer.size() >= kMaxHeadBytes)
        m_result = HeadParse::TooLarge;
    if (m_result == HeadParse::Incomplete)
        return m_result;
    head = m_head;
    if (m_result == HeadParse::Complete)
        headLength = m_headLength;
    return m_result;
}

// One line, [m_lineStart, lineEnd) with the LF at lineEnd.
HeadParse HttpHeadReader::TakeLine(std::string_view buffer, size_t lineEnd)
{
    std::string_view line = buffer.substr(m_lineStart, lineEnd - m_lineStart);
    m_lineStart = lineEnd + 1;
    if (!m_inHead && (line.empty() || line == "\r"))
        return HeadParse::Incomplete;
    m_inHead = true;
    if (line.empty() || line.back() != '\r')
        return HeadParse::Malformed; // bare LF
    line.remove_suffix(1);
    if (m_head.method.empty())
        return ParseRequestLine(line, m_head) ? HeadParse::Incomplete : HeadParse::Malformed;
    if (line.empty()) {
        m_headLength = lineEnd + 1;
        return HeadParse::Complete;
    }
    return ParseFieldLine(line, m_head) ? HeadParse::Incomplete : HeadParse::Malformed;
}

void HttpHeadReader::Reset()
{
    *this = HttpHeadReader();
}

HeadParse ParseHttpHead(std::string_view buffer, HttpHead& head, size_t& headLength)
{
    HttpHeadReader reader;
    return reader.Read(buffer, head, headLength);
}

// A refused request's body is never read, so its connection cannot carry
// another request: keepAlive is false whenever refusal is set.
RequestFraming DecideFraming(const HttpHead& head, uint64_t maxRequestBytes)
{
    RequestFraming framing;
    const std::string* expect = head.Find("Expect");
    framing.expectContinue = expect && EqualsNoCase(*expect, "100-continue");
    framing.refusal = DecideRefusal(head, maxRequestBytes, framing.contentLength);
    if (framing.refusal != 0) {
        framing.contentLength = 0;
        return framing;
    }
    if (head.versionMinor >= 1)
        framing.keepAlive = !AnyFieldListsToken(head, "Connection", "close");
    else
        framing.keepAlive = AnyFieldListsToken(head, "Connection", "keep-alive");
    return framing;
}

std::string StatusText(int status)
{
    struct Phrase
    {
        int status;
        const char* text;
    };
    static const Phrase kPhrases[] = {
        {100, "Continue"},
        {200, "OK"},
        {201, "Created"},
        {204, "No Content"},
        {206, "Partial Content"},
        {301, "Moved Permanently"},
        {302, "Found"},
        {303, "See Other"},
        {304, "Not Modified"},
        {307, "Temporary Redirect"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {408, "Request Timeout"},
        {411, "Length Required"},
        {413, "Content Too Large"},
        {414, "URI Too Long"},
        {416, "Range Not Satisfiable"},
        {417, "Expectation Failed"},
        {431, "Request Header Fields Too Large"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {503, "Service Unavailable"},
    };
    const std::string code = std::to_string(status);
    for (const Phrase& phrase : kPhrases) {
        if (phrase.status == status)
            return code + " " + phrase.text;
    }
    switch (status / 100) {
    case 1:
        return code + " Informational";
    case 2:
        return code + " Success";
    case 3:
        return code + " Redirection";
    case 4:
        return code + " Client Error";
    default:
        return code + " Server Error";
    }
}
