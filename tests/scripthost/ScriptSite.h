// A minimal Active Scripting host for test scripts: it runs one VBScript or
// JScript text through the platform's engine, exposes named objects to it
// (always "WScript" with Echo and Quit, plus whatever the caller adds), and
// reports every script error, so that a script that fails is reported as a
// failure instead of passing silently.
#pragma once

#include "util/ComPtr.h"

#include <oaidl.h>
#include <string>
#include <vector>

struct NamedObject
{
    std::wstring name;
    ComPtr<IDispatch> object;
};

// Runs scriptText with the engine of the given ProgID ("VBScript",
// "JScript"), objects added as global named items. True only when no error
// reached the host unhandled, the script did not quit with a non-zero code
// and the last line it echoed is "PASS"; otherwise a FAIL line says why.
bool RunScript(const wchar_t* engineProgId, const std::wstring& scriptText,
               std::vector<NamedObject> objects);

// Writes wide text to standard output as UTF-8.
void WriteUtf8Line(const std::wstring& text);
