// Script, compile and host errors of a page, and how they are shown.
#include "ScriptError.h"

#include "AspObject.h"
#include "TextCoding.h"
#include "UrlCoding.h"

#include "util/BstrHolder.h"

namespace {

std::wstring Hex(HRESULT number)
{
    wchar_t text[16];
    swprintf(text, 16, L"%08X", static_cast<unsigned>(number));
    return text;
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
        result.description = L"Unknown error";
    DWORD context = 0;
    ULONG line = 0;
    LONG column = 0;
    if (FAILED(error.GetSourcePosition(&context, &line, &column)))
        return result;
    if (line < page.lines.size()) {
        result.file = FileName(page, page.lines[line].file);
        result.line = page.lines[line].line;
    } else {
        result.file = FileName(page, 0);
    }
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
