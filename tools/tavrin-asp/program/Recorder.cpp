// Recording of request bodies.
#include "program/Recorder.h"

#include "core/HeadJson.h"

#include <windows.h>

namespace {

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
