// The state of one page run that the host objects share: the request as the
// page reads it, the response as the page builds it (status, headers,
// cookies, the buffer) and the session it uses. RunPage owns it; the host
// objects hold it through shared_ptr so that an object a script or a
// component keeps past the page stays safe: once the page has ended, closed
// is set and every member that needs the request or the connection fails.
#pragma once

#include "asp/PageRun.h"
#include "asp/SiteState.h"
#include "core/PageCompiler.h"

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// One cookie that Response.Cookies sets.
struct ResponseCookie
{
    std::wstring name;
    std::wstring value;
    std::vector<std::pair<std::wstring, std::wstring>> keys; // Cookies("n")("key"), sent as k=v&...
    std::wstring path = L"/";
    std::wstring domain;
    std::wstring expires; // an HTTP date, or "" for a cookie of the browser session
    bool secure = false;
};

enum class BodyUse
{
    None,
    BinaryRead, // Request.BinaryRead took bytes: Form is refused
    Form,       // Request.Form read the body: BinaryRead is refused
};

class PageState
{
public:
    PageState(const PageRequest& request, std::shared_ptr<const CompiledPage> page,
              unsigned codePage);

    // The request; valid only while !closed.
    const PageRequest& request;
    std::shared_ptr<const CompiledPage> page;
    bool closed = false;

    // Request side.
    BodyUse bodyUse = BodyUse::None;
    uint64_t bodyLeft = 0; // bytes of the body the page has not read

    // Response side.
    unsigned codePage; // Response.CodePage: text is written with it
    int status = 200;
    std::string statusLine = "200 OK"; // Response.Status
    std::wstring contentType = L"text/html";
    std::wstring charset;
    std::wstring cacheControl;
    bool expiresSet = false;
    long expiresMinutes = 0;
    std::vector<std::pair<std::wstring, std::wstring>> headers; // Response.AddHeader
    std::vector<std::shared_ptr<ResponseCookie>> cookies;
    bool buffering = true;
    bool ended = false;    // Response.End or Redirect ran: later writes are dropped
    bool headSent = false; // Flush or an unbuffered write sent the head
    uint64_t bytesSent = 0;

    // Session: the one the cookie named, or the one made for this page.
    std::shared_ptr<SessionData> session;
    bool newSession = false;
    int applicationLocks = 0; // Application.Lock calls not yet undone

    // Adds bytes to the response (to the buffer, or straight out when the
    // head has been sent or buffering is off).
    void Write(std::string_view bytes);
    // Text under the response's code page.
    void WriteText(std::wstring_view text);
    // Drops the buffered body; what Flush sent is gone already.
    void Clear() { m_buffer.clear(); }
    // Sends the head (once) and what is buffered; the response then has no
    // Content-Length and the connection closes after the page.
    void Flush();
    // Ends the response: the head with Content-Length when nothing was sent
    // yet, then the buffer. Fills outcome's status, bytes and keepAlive.
    void Finish(PageOutcome& outcome);
    // The session of this page, made (with its cookie) when there is none.
    std::shared_ptr<SessionData> Session();

    bool IsHead() const;

private:
    std::string BuildHead(bool withLength) const;
    bool Send(std::string_view bytes);
    std::string m_buffer;
};

// The header value of a request field, or null.
const std::string* RequestHeader(const PageRequest& request, std::string_view name);
