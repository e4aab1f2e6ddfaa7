// Percent-encoding, form and cookie parsing and HTML encoding for the
// development host: bytes in, bytes out; the host converts bytes to text
// with the page's code page. Platform-neutral.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

using NameValueList = std::vector<std::pair<std::string, std::string>>;

// Decodes %XX (and '+' as a space when plusIsSpace); a '%' not followed by
// two hex digits stays as it is.
std::string UrlDecode(std::string_view text, bool plusIsSpace);
// Server.URLEncode: letters, digits stay; space becomes '+'; every other
// byte %XX with upper-case hex.
std::string UrlEncode(std::string_view bytes);
// Server.HTMLEncode over UTF-16 text: < > & " become entities; characters
// 0xA0-0xFF become &#N; as IIS writes them.
std::wstring HtmlEncode(std::wstring_view text);
// "a=1&b=x+y&a=2" (a query string or an application/x-www-form-urlencoded
// body): decoded pairs in order; a name without '=' gets an empty value;
// empty segments are skipped.
NameValueList ParseUrlEncoded(std::string_view text);
// A Cookie header "a=1; b=2": pairs in order, values URL-decoded.
NameValueList ParseCookieHeader(std::string_view header);
