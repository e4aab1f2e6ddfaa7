// Argument parsing for tavrin-upload. Options may come before or after the
// body path and may be written "--opt value" or "--opt=value"; "--" ends the
// options, so a body path that begins with a hyphen can still be named.
// Every mistake is reported with a message and no partial result is used.
#include "ToolArguments.h"

#include "common/JsonText.h"

const char kToolUsage[] =
    "usage: tavrin-upload inspect BODY [--page-code N]\n"
    "       tavrin-upload extract BODY --to DIR [--overwrite] [--page-code N]\n";

namespace {

std::string Quoted(const std::u16string& text)
{
    std::string out;
    AppendJsonString(out, text);
    return out;
}

ParsedArguments Fail(std::string message)
{
    ParsedArguments result;
    result.error = std::move(message);
    return result;
}

// Splits "--name=value" into name and value; other arguments are left whole.
bool SplitInlineValue(const std::u16string& arg, std::u16string* name, std::u16string* value)
{
    const size_t eq = arg.find(u'=');
    if (arg.rfind(u"--", 0) != 0 || eq == std::u16string::npos) {
        *name = arg;
        return false;
    }
    *name = arg.substr(0, eq);
    *value = arg.substr(eq + 1);
    return true;
}

} // namespace

bool ParsePageCode(const std::u16string& text, int32_t* value)
{
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == u'-';
    if (negative)
        i = 1;
    if (i >= text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9')
            return false;
        magnitude = magnitude * 10 + (c - u'0');
        if (magnitude > int64_t(INT32_MAX) + 1)
            return false;
    }
    const int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        return false;
    *value = static_cast<int32_t>(signedValue);
    return true;
}

ParsedArguments ParseToolArguments(const std::vector<std::u16string>& args)
{
    if (args.empty())
        return Fail("no command given");
    ParsedArguments result;
    ToolArguments& out = result.arguments;
    const std::u16string& command = args[0];
    if (command == u"help" || command == u"--help" || command == u"-h") {
        if (args.size() > 1)
            return Fail("help takes no arguments");
        out.mode = ToolMode::Help;
        result.ok = true;
        return result;
    }
    if (command == u"inspect")
        out.mode = ToolMode::Inspect;
    else if (command == u"extract")
        out.mode = ToolMode::Extract;
    else
        return Fail("unknown command " + Quoted(command));

    bool haveBody = false, haveDir = false, optionsEnded = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::u16string& arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == u'-';
        if (!isOption) {
            if (haveBody)
                return Fail("more than one body file: " + Quoted(out.bodyPath) + " and " +
                            Quoted(arg));
            out.bodyPath = arg;
            haveBody = true;
            continue;
        }
        if (arg == u"--") {
            optionsEnded = true;
            continue;
        }
        std::u16string name, value;
        const bool inlineValue = SplitInlineValue(arg, &name, &value);
        const bool takesValue = name == u"--page-code" || name == u"--to";
        if (takesValue && !inlineValue) {
            if (i + 1 >= args.size())
                return Fail(Quoted(name) + " needs a value");
            value = args[++i];
        }
        if (!takesValue && inlineValue)
            return Fail(Quoted(name) + " takes no value");
        if (name == u"--page-code") {
            if (out.hasPageCode)
                return Fail("--page-code given twice");
            if (!ParsePageCode(value, &out.pageCode))
                return Fail("--page-code needs a whole number, not " + Quoted(value));
            out.hasPageCode = true;
        } else if (name == u"--to" && out.mode == ToolMode::Extract) {
            if (haveDir)
                return Fail("--to given twice");
            if (value.empty())
                return Fail("--to needs a directory");
            out.targetDir = value;
            haveDir = true;
        } else if (name == u"--overwrite" && out.mode == ToolMode::Extract) {
            out.overwrite = true;
        } else {
            return Fail("unknown option " + Quoted(name) + " for " + Quoted(command));
        }
    }
    if (!haveBody || out.bodyPath.empty())
        return Fail("no body file given");
    if (out.mode == ToolMode::Extract && !haveDir)
        return Fail("extract needs --to DIR");
    result.ok = true;
    return result;
}
