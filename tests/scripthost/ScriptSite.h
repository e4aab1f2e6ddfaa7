// A minimal Active Scripting host for test scripts: it runs one VBScript or
// JScript text through the platform's engine, exposes named objects to it
// (always "WScript" with Echo and Quit, plus whatever the caller adds), and
// records every script error, so that a script that fails is reported as a
// failure instead of passing silently.
#pragma once

#include "util/ComPtr.h"

#include <activscp.h>
#include <string>
#include <vector>

struct ScriptOutcome
{
    bool scriptError = false;  // an error reached the host unhandled
    bool quit = false;         // WScript.Quit was called
    long quitCode = 0;
    std::wstring lastLine;     // the last line that WScript.Echo wrote
    HRESULT engineStatus = S_OK;
};


// Runs scriptText with the engine of the given ProgID ("VBScript",
// "JScript"); objects are added as global named items.
struct NamedObject
{
    std::wstring name;
    ComPtr<IDispatch> object;
};
ScriptOutcome RunScript(const wchar_t* engineProgId, const std::wstring& scriptText,
                        const std::vector<NamedObject>& objects);

// Writes wide text to standard output as UTF-8.
void WriteUtf8Line(const std::wstring& text);
