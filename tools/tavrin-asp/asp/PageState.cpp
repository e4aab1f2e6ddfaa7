// The response of a page: buffering, the head (status line and header
// fields) and sending through the request's output, and the page's session.
#include "asp/PageState.h"

#include "asp/CodePageText.h"
#include "core/UrlCoding.h"

#include <windows.h>

namespace {

std::string HttpDate(time_t seconds)
{
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    tm parts;
    if (gmtime_s(&parts, &seconds) != 0)
        return std::string();
    char text[64];
    snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d GMT", kDays[parts.tm_wday],
             parts.tm_mday, kMonths[parts.tm_mon], parts.tm_year + 1900, parts.tm_hour,
             parts.tm_min, parts.tm_sec);
    return text;
}

std::string CookieLine(const ResponseCookie& cookie)
{
    std::string line = "Set-Cookie: " + UrlEncode(NarrowText(cookie.name, CP_UTF8)) + "=";
    if (cookie.keys.empty())
        line += UrlEncode(NarrowText(cookie.value, CP_UTF8));
    for (size_t i = 0; i < cookie.keys.size(); ++i)
        line += (i > 0 ? "&" : "") + UrlEncode(NarrowText(cookie.keys[i].first, CP_UTF8)) + "=" +
                UrlEncode(NarrowText(cookie.keys[i].second, CP_UTF8));
    if (!cookie.expires.empty())
        line += "; expires=" + NarrowText(cookie.expires, CP_UTF8);
    if (!cookie.domain.empty())
        line += "; domain=" + NarrowText(cookie.domain, CP_UTF8);
    line += "; path=" + NarrowText(cookie.path, CP_UTF8);
    if (cookie.secure)
        line += "; secure";
    return line + "\r\n";
}

} // namespace

PageState::PageState(const PageRequest& request_, std::shared_ptr<const CompiledPage> page_,
                     unsigned codePage_)
    : request(request_), page(std::move(page_)), bodyLeft(request_.contentLength),
      codePage(codePage_)
{}

bool PageState::IsHead() const
{
    return request.head && request.head->method == "HEAD";
}

void PageState::Write(std::string_view bytes)
{
    if (ended || closed)
        return;
    m_buffer.append(bytes);
    if (!buffering || headSent)
        Flush();
}

void PageState::WriteText(std::wstring_view text)
{
    Write(NarrowText(text, codePage));
}

void PageState::Flush()
{
    if (closed)
        return;
    if (!headSent) {
        headSent = true;
        Send(BuildHead(false));
    }
    if (!IsHead())
        Send(m_buffer);
    m_buffer.clear();
}

void PageState::Finish(PageOutcome& outcome)
{
    outcome.status = status;
    if (!headSent) {
        Send(BuildHead(true));
        headSent = true;
        outcome.keepAlive = request.keepAlive;
    }
    if (!IsHead())
        Send(m_buffer);
    m_buffer.clear();
    outcome.responseBytes = bytesSent;
}

std::shared_ptr<SessionData> PageState::Session()
{
    if (session || !request.site)
        return session;
    if (const std::string* cookies = RequestHeader(request, "Cookie")) {
        for (const auto& [name, value] : ParseCookieHeader(*cookies)) {
            if (name == kSessionCookieName && (session = request.site->FindSession(value)))
                return session;
        }
    }
    session = request.site->NewSession();
    newSession = true;
    return session;
}

std::string PageState::BuildHead(bool withLength) const
{
    std::string head = "HTTP/1.1 " + statusLine + "\r\n";
    std::string type = NarrowText(contentType, CP_UTF8);
    if (!charset.empty())
        type += "; charset=" + NarrowText(charset, CP_UTF8);
    head += "Content-Type: " + type + "\r\n";
    if (withLength)
        head += "Content-Length: " + std::to_string(m_buffer.size()) + "\r\n";
    if (!withLength || !request.keepAlive)
        head += "Connection: close\r\n";
    if (!cacheControl.empty())
        head += "Cache-Control: " + NarrowText(cacheControl, CP_UTF8) + "\r\n";
    if (expiresSet)
        head += "Expires: " + HttpDate(time(nullptr) + expiresMinutes * 60) + "\r\n";
    if (newSession && session)
        head += "Set-Cookie: " + std::string(kSessionCookieName) + "=" +
                NarrowText(session->cookieValue, CP_UTF8) + "; path=/\r\n";
    for (const auto& cookie : cookies)
        head += CookieLine(*cookie);
    for (const auto& [name, value] : headers)
        head += NarrowText(name, CP_UTF8) + ": " + NarrowText(value, CP_UTF8) + "\r\n";
    return head + "\r\n";
}

bool PageState::Send(std::string_view bytes)
{
    if (bytes.empty())
        return true;
    if (closed || !request.output || (request.watch && request.watch->timedOut))
        return false;
    if (!request.output->Send(bytes.data(), bytes.size()))
        return false;
    bytesSent += bytes.size();
    return true;
}

const std::string* RequestHeader(const PageRequest& request, std::string_view name)
{
    return request.head ? request.head->Find(name) : nullptr;
}
