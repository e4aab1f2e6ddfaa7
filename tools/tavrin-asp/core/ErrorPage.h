// The host's one HTML error page, for the answers it makes itself (a
// refused request, a script error, a timed-out script): the status line as
// title and heading, then a paragraph per line of text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The page in UTF-8, each paragraph HTML-escaped (& < > " as entities).
// statusLine is "500 Internal Server Error" and the like.
std::string ErrorPageHtml(std::string_view statusLine, const std::vector<std::string>& paragraphs);
