// Recording of request bodies.
#include "program/Recorder.h"

#include <windows.h>

namespace {

void AppendJsonString(std::string& out, const std::string& text)
{
    out += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            snprintf(escape, sizeof escape, "\\u%04x", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

std::wstring Stamp(unsigned n)
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t text[64];
    swprintf(text, 64, L"%04u%02u%02u-%02u%02u%02u-%u", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond, n);
    return text;
}

} // namespace

std::string HeadJson(const HttpHead& head)
{
    std::string json = "{\"method\": ";
    AppendJsonString(json, head.method);
    json += ", \"path\": ";
    AppendJsonString(json, head.path);
    json += ", \"query\": ";
    AppendJsonString(json, head.query);
    json += ", \"headers\": [";
    for (size_t i = 0; i < head.headers.size(); ++i) {
        json += i ? ", [" : "[";
        AppendJsonString(json, head.headers[i].name);
        json += ", ";
        AppendJsonString(json, head.headers[i].value);
        json += "]";
    }
    return json + "]}\n";
}

FileHolder Recorder::Start(const HttpHead& head)
{
    const std::wstring base = m_folder + L"\\" + Stamp(++m_count);
    FileHolder json(_wfopen((base + L".json").c_str(), L"wb"));
    if (!json)
        return nullptr;
    const std::string text = HeadJson(head);
    fwrite(text.data(), 1, text.size(), json.get());
    return FileHolder(_wfopen((base + L".body").c_str(), L"wb"));
}
