// "tavrin-asp serve": serves a folder over HTTP until the process ends.
#pragma once

// tavrin-asp serve DIR [--port N] [--bind ADDR] [--max-request-bytes N]
//                      [--threads N] [--script-timeout S] [--record RECDIR]
//                      [--allow-host NAME]...
// argv holds the arguments after "serve"; returns the process exit code.
int ServeCommand(int argc, wchar_t** argv);
