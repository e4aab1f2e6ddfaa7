// Script, compile and host errors of a page, and how they are shown.
#include "asp/ScriptError.h"

#include "asp/AspObject.h"
#include "asp/CodePageText.h"
#include "core/UrlCoding.h"

#include "util/BstrHolder.h"

#include <algorithm>

namespace {

std::wstring Hex(HRESULT number)
{
    wchar_t text[16];
    swprintf(text, 16, L"%08X", static_cast<unsigned>(number));
    return text;
}

// Wine's engines leave the description empty for some errors (compile
// errors, errors of the automation library such as division by zero).
std::wstring SystemText(HRESULT number)
{
    switch (number) {
    case DISP_E_DIVBYZERO:
        return L"Division by zero";
    case DISP_E_OVERFLOW:
        return L"Overflow";
    case DISP_E_TYPEMISMATCH:
        return L"Type mismatch";
    }
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(number), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring result = length > 0 && text ? std::wstring(text, length) : L"Unknown error";
    LocalFree(text);
    while (!result.empty() &&
           (result.back() == L'\n' || result.back() == L'\r' || result.back() == L' '))
        result.pop_back();
    return result;
}

std::wstring FileName(const CompiledPage& page, uint32_t index)
{
    return index < page.files.size() ? WidenBytes(page.files[index], CP_UTF8) : L"";
}

} // namespace

ScriptError ScriptErrorOf(IActiveScriptError& error, const CompiledPage& page)
{
    EXCEPINFO info = {};
    error.GetExceptionInfo(&info);
    if (info.pfnDeferredFillIn)
        info.pfnDeferredFillIn(&info);
    BstrHolder description(info.bstrDescription), source(info.bstrSource), help(info.bstrHelpFile);
    ScriptError result;
    result.number =
        info.scode ? info.scode : MAKE_HRESULT(SEVERITY_ERROR, FACILITY_ITF, info.wCode);
    if (result.number == kPageEndStatus)
        return result;
    result.raised = true;
    result.description = description ? description.Get() : L"";
    result.source = source ? source.Get() : L"";
    if (result.description.empty())
        result.description = result.source.find(L"compilation") != std::wstring::npos
                                 ? L"Syntax error"
                                 : SystemText(result.number);
    DWORD context = 0;
    ULONG line = 0;
    LONG column = 0;
    if (FAILED(error.GetSourcePosition(&context, &line, &column)) || page.lines.empty()) {
        result.file = FileName(page, 0);
        return result;
    }
    // A construct left open at the end of the script is reported one line
    // past it.
    const LineOrigin& origin = page.lines[std::min<size_t>(line, page.lines.size() - 1)];
    result.file = FileName(page, origin.file);
    result.line = origin.line;
    return result;
}

ScriptError CompileErrorOf(const PageCompileError& error, const CompiledPage& page)
{
    ScriptError result;
    result.raised = true;
    result.number = E_FAIL;
    result.source = L"Active Server Pages";
    result.description = WidenBytes(error.message, CP_UTF8);
    result.file = FileName(page, error.file);
    result.line = error.line;
    return result;
}

ScriptError HostError(HRESULT number, const std::wstring& description, const CompiledPage& page)
{
    ScriptError result;
    result.raised = true;
    result.number = number;
    result.source = L"tavrin-asp";
    result.description = description;
    result.file = FileName(page, 0);
    return result;
}

std::wstring ErrorPageHtml(const ScriptError& error)
{
    std::wstring html = L"<html><head><title>500 Internal Server Error</title></head><body>\r\n"
                        L"<h1>500 Internal Server Error</h1>\r\n<p>";
    html += HtmlEncode(error.source) + L" '" + Hex(error.number) + L"'</p>\r\n<p>" +
            HtmlEncode(error.description) + L"</p>\r\n<p>" + HtmlEncode(error.file);
    if (error.line > 0)
        html += L", line " + std::to_wstring(error.line);
    return html + L"</p>\r\n</body></html>\r\n";
}

std::string ErrorLogText(const ScriptError& error)
{
    std::wstring text = error.file;
    if (error.line > 0)
        text += L" line " + std::to_wstring(error.line);
    text += L": " + Hex(error.number) + L" " + error.description;
    if (!error.source.empty())
        text += L" (" + error.source + L")";
    return NarrowText(text, CP_UTF8);
}
