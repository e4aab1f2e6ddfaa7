// The request log.
#include "program/AccessLog.h"

#include "core/LogText.h"

#include <windows.h>

#include <cstdio>
#include <mutex>

namespace {

std::mutex g_lock;

std::string Now()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[32];
    snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);
    return text;
}

} // namespace

void WriteServerLine(const std::string& text)
{
    std::lock_guard<std::mutex> hold(g_lock);
    fwrite(text.data(), 1, text.size(), stdout);
    fputc('\n', stdout);
    fflush(stdout);
}

void WriteLogLine(const LogEntry& entry)
{
    std::string line = Now() + " " + entry.method + " " + entry.path + " " +
                       std::to_string(entry.status) + " " + std::to_string(entry.requestBytes) +
                       " " + std::to_string(entry.responseBytes) + " " +
                       std::to_string(entry.milliseconds) + "ms";
    if (!entry.error.empty())
        line += " " + entry.error;
    // A request path or an error text must neither start a line of its own
    // nor drive the terminal.
    WriteServerLine(EscapeForLog(line));
}
