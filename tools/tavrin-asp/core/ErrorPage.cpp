// ErrorPageHtml: see ErrorPage.h.
#include "core/ErrorPage.h"

#include "core/UrlCoding.h"

std::string ErrorPageHtml(std::string_view statusLine, const std::vector<std::string>& paragraphs)
{
    const std::string title = HtmlEncodeBytes(statusLine);
    std::string html = "<!DOCTYPE html>\r\n<html><head><title>" + title +
                       "</title></head><body>\r\n<h1>" + title + "</h1>\r\n";
    for (const std::string& paragraph : paragraphs)
        html += "<p>" + HtmlEncodeBytes(paragraph) + "</p>\r\n";
    return html + "</body></html>\r\n";
}
