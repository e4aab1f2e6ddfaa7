// Command line of tavrin-upload:
//   tavrin-upload inspect BODY [--page-code N]
//   tavrin-upload extract BODY --to DIR [--overwrite] [--page-code N]
// Parsing is separate from running so that every rule here is tested on its
// own; the Windows entry point hands over its wide arguments as UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class ToolMode
{
    Help,
    Inspect,
    Extract,
};

struct ToolArguments
{
    ToolMode mode = ToolMode::Help;
    std::u16string bodyPath;
    std::u16string targetDir; // extract only
    bool overwrite = false;   // extract only
    bool hasPageCode = false;
    int32_t pageCode = 0;
};

struct ParsedArguments
{
    bool ok = false;
    ToolArguments arguments;
    std::string error; // UTF-8; set when ok is false
};

// The usage lines, UTF-8, ending in a line break.
extern const char kToolUsage[];

// Parses the arguments after the program name.
ParsedArguments ParseToolArguments(const std::vector<std::u16string>& args);

// A decimal page code: optional minus sign, digits, within the signed 32-bit
// range. False for anything else (empty, other characters, overflow).
bool ParsePageCode(const std::u16string& text, int32_t* value);
