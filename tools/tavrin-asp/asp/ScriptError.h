// An error that ends a page: a script error as the engine reports it (or a
// component's, which keeps the component's own source and description), a
// page that does not compile, or a host failure; with the file and line of
// the page source it came from, the 500 page that shows it and the text for
// the server's log line.
#pragma once

#include "core/PageCompiler.h"

#include <windows.h>

#include <activscp.h>
#include <cstdint>
#include <string>

struct ScriptError
{
    bool raised = false;
    HRESULT number = 0;       // 800A000D, ...
    std::wstring description; // "Type mismatch"
    std::wstring source;      // "Microsoft VBScript runtime error", a component's ProgID, ...
    std::wstring file;        // the virtual path of the page or include
    uint32_t line = 0;        // 1-based; 0 when unknown
};

// The error the engine reports, with its line mapped to the page's files;
// not raised for the end that Response.End and Redirect ask for.
ScriptError ScriptErrorOf(IActiveScriptError& error, const CompiledPage& page);
ScriptError CompileErrorOf(const PageCompileError& error, const CompiledPage& page);
ScriptError HostError(HRESULT number, const std::wstring& description, const CompiledPage& page);

// The HTML that a 500 answer shows.
std::wstring ErrorPageHtml(const ScriptError& error);
// "/page.asp line 3: 800A000D Type mismatch", UTF-8.
std::string ErrorLogText(const ScriptError& error);
