// The commands of tavrin-asp; each returns the process exit code.
#pragma once

#include <string>

// tavrin-asp serve DIR [--port N] [--bind ADDR] [--max-request-bytes N]
//                      [--threads N] [--script-timeout S] [--record RECDIR]
int ServeCommand(int argc, wchar_t** argv);
// tavrin-asp run PAGE.asp [--method M] [--body FILE] [--content-type TYPE]
//                         [--query STRING] [--header NAME:VALUE]...
int RunCommand(int argc, wchar_t** argv);
// Writes UTF-16 text to the console or a redirected standard stream as UTF-8.
void WriteText(bool toError, const std::wstring& text);
