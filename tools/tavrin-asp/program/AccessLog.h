// One line per request on standard output: time, method, path, status,
// request bytes, response bytes, milliseconds, and for a 500 the error.
// Lines from parallel workers never interleave.
#pragma once

#include <cstdint>
#include <string>

struct LogEntry
{
    std::string method;
    std::string path;
    int status = 0;
    uint64_t requestBytes = 0;
    uint64_t responseBytes = 0;
    uint64_t milliseconds = 0;
    std::string error;
};

void WriteLogLine(const LogEntry& entry);
// A line of the server's own (start-up, failures), same stream and lock.
void WriteServerLine(const std::string& text);
