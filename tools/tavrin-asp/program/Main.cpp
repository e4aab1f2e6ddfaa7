// tavrin-asp: a development web host that runs classic ASP pages with the
// platform's VBScript and JScript engines. Not a production server.
#include "program/ConsoleText.h"
#include "program/RunCommand.h"
#include "program/ServeCommand.h"

#include <string>

namespace {

const wchar_t kUsage[] =
    L"tavrin-asp: a development web host for classic ASP pages (not for production use)\n"
    L"usage:\n"
    L"  tavrin-asp serve DIR [--port 8080] [--bind 127.0.0.1] [--max-request-bytes 30000000]\n"
    L"                       [--threads 8] [--script-timeout 90] [--record RECDIR]\n"
    L"                       [--allow-host NAME]...\n"
    L"  tavrin-asp run PAGE.asp [--method POST] [--body FILE] [--content-type TYPE]\n"
    L"                          [--query STRING] [--header NAME:VALUE]...\n";

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"serve")
        return ServeCommand(argc - 2, argv + 2);
    if (command == L"run")
        return RunCommand(argc - 2, argv + 2);
    WriteText(!command.empty() && command != L"--help", kUsage);
    return command == L"--help" ? 0 : 2;
}
