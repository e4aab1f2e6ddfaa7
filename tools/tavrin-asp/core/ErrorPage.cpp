// ErrorPageHtml: see ErrorPage.h.
#include "core/ErrorPage.h"

namespace {

void AppendEscaped(std::string& out, std::string_view text)
{
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
}

} // namespace

std::string ErrorPageHtml(std::string_view statusLine, const std::vector<std::string>& paragraphs)
{
    std::string html = "<!DOCTYPE html>\r\n<html><head><title>";
    AppendEscaped(html, statusLine);
    html += "</title></head><body>\r\n<h1>";
    AppendEscaped(html, statusLine);
    html += "</h1>\r\n";
    for (const std::string& paragraph : paragraphs) {
        html += "<p>";
        AppendEscaped(html, paragraph);
        html += "</p>\r\n";
    }
    return html + "</body></html>\r\n";
}
