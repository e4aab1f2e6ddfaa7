// The head of an HTTP/1.x request (request line and header fields) as the
// development host reads it from a connection, and the framing decisions
// taken from it before any body byte is read. Platform-neutral: bytes in,
// values out, so that it builds natively for the sanitizers and the fuzzer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Largest request line plus header fields that the host accepts (431 above).
constexpr size_t kMaxHeadBytes = 16 * 1024;

struct HttpHeader
{
    std::string name;  // as sent
    std::string value; // leading and trailing blanks removed
};

struct HttpHead
{
    std::string method;   // "GET", "HEAD", "POST", ... as sent
    std::string target;   // the request target as sent
    std::string path;     // the target before '?', still percent-encoded
    std::string query;    // the target after the first '?', raw; "" when none
    int versionMinor = 1; // HTTP/1.<versionMinor>
    std::vector<HttpHeader> headers;

    // The value of the first field of that name in any letter case, or null.
    const std::string* Find(std::string_view name) const;
};

enum class HeadParse
{
    Incomplete, // no blank line yet and under the limit: read more
    Complete,   // head parsed; headLength bytes belong to it
    Malformed,  // 400
    TooLarge,   // 431: no blank line within kMaxHeadBytes
};

// Reads the head at the start of a connection's buffer as its bytes arrive:
// each Read looks only at the bytes added since the last one, so a head sent
// a byte at a time costs one pass over it, not one per byte. It judges each
// line when its LF arrives (and the size when kMaxHeadBytes have), so it
// decides at the same byte, and the same way, as ParseHttpHead does on the
// bytes received so far.
//
// Line ends are CRLF. A bare LF is tolerated only in the empty lines that
// may precede the request line (some clients send a stray line end after a
// body); inside a head it is Malformed, because a reader behind a front end
// that keeps the LF in a value would see two lines where this one sees one.
class HttpHeadReader
{
public:
    // buffer holds every byte of the connection since the last Reset (the
    // bytes of earlier calls unchanged, new ones appended). On Complete, head
    // is filled and headLength is the number of bytes up to and including
    // the blank line; the rest of buffer is the start of the body. On
    // Malformed, head holds what was read (the request line, when it was).
    // Once decided, the reader answers the same until Reset.
    HeadParse Read(std::string_view buffer, HttpHead& head, size_t& headLength);
    // Forgets everything, for the next head of a kept-alive connection.
    void Reset();
    // How many bytes of the buffer have been looked at.
    size_t Scanned() const noexcept { return m_scanned; }

private:
    HeadParse TakeLine(std::string_view buffer, size_t lineEnd);

    HttpHead m_head;
    size_t m_scanned = 0;   // bytes looked at
    size_t m_lineStart = 0; // start of the line being read
    bool m_inHead = false;  // past the empty lines before the request line
    HeadParse m_result = HeadParse::Incomplete;
    size_t m_headLength = 0;
};

// The same decision for a whole buffer at once (a fresh reader). The limit
// counts from the start of buffer: a head of exactly kMaxHeadBytes is
// accepted, and TooLarge comes as soon as kMaxHeadBytes bytes hold no end.
HeadParse ParseHttpHead(std::string_view buffer, HttpHead& head, size_t& headLength);

// What the host does with a parsed head before reading its body.
struct RequestFraming
{
    int refusal = 0;             // 0, or the status to answer without reading the body:
                                 // 400, 411 (chunked), 413 (over the limit), 501 (method)
    uint64_t contentLength = 0;  // the body's length
    bool expectContinue = false; // "Expect: 100-continue" was sent
    bool keepAlive = false;      // the client allows another request on the connection
};

// Methods served: GET, HEAD, POST (501 otherwise). A body is framed by
// Content-Length only; Transfer-Encoding gets 411; a bad or repeated
// differing Content-Length gets 400; more than maxRequestBytes gets 413.
// A refused request's body is not read, so keepAlive is false and
// contentLength 0 whenever refusal is set.
RequestFraming DecideFraming(const HttpHead& head, uint64_t maxRequestBytes);

// "200 OK", "404 Not Found", ...: the status line's text for a code
// (a generic one for codes without a registered phrase).
std::string StatusText(int status);
