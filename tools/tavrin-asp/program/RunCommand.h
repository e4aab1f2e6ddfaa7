// "tavrin-asp run": runs one page against a request built from the command
// line and writes the whole response to standard output.
#pragma once

// tavrin-asp run PAGE.asp [--method M] [--body FILE] [--content-type TYPE]
//                         [--query STRING] [--header NAME:VALUE]...
// argv holds the arguments after "run"; returns the process exit code.
int RunCommand(int argc, wchar_t** argv);
