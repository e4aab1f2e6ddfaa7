// tavrin-upload: inspects and extracts a stored multipart request body
// through the TavrinUpload component, the way a web page would see it, with
// no web server. Exit codes: 0 success, 1 failure (component, file, or an
// item that extract could not save), 2 usage error.
#include "ExtractCommand.h"
#include "InspectCommand.h"
#include "InspectReport.h"
#include "ToolArguments.h"
#include "UploadClient.h"
#include "common/ConsoleOutput.h"
#include "common/JsonText.h"

#include <objbase.h>

#include <new>
#include <string>
#include <vector>

namespace {

constexpr int kUsageExit = 2;

// COM for the main thread, apartment-threaded like a page's thread.
class ComApartment
{
public:
    ComApartment() : m_status(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(m_status))
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT Status() const { return m_status; }

private:
    HRESULT m_status;
};

int Run(const ToolArguments& arguments)
{
    ComApartment apartment;
    if (FAILED(apartment.Status())) {
        WriteText(STD_ERROR_HANDLE, "tavrin-upload: COM cannot be initialised\n");
        return 1;
    }
    if (arguments.mode == ToolMode::Inspect) {
        std::string document;
        const int code = RunInspect(arguments, &document);
        WriteText(STD_OUTPUT_HANDLE, document);
        return code;
    }
    const auto out = [](const std::string& line) { WriteText(STD_OUTPUT_HANDLE, line); };
    const auto err = [](const std::string& line) { WriteText(STD_ERROR_HANDLE, line); };
    return RunExtract(arguments, out, err);
}

// A hostile body can hold millions of items, and the report of them may not
// fit in memory: that ends the command with the error document, not with an
// uncaught exception.
int RunReportingAllocationFailure(const ToolArguments& arguments)
{
    try {
        return Run(arguments);
    } catch (const std::bad_alloc&) {
    }
    std::string document;
    try {
        document = FormatErrorDocument(PlatformMessage(E_OUTOFMEMORY),
                                       static_cast<uint32_t>(E_OUTOFMEMORY));
    } catch (const std::bad_alloc&) {
        document = "{\"error\": \"out of memory\", \"status\": \"0x8007000E\"}\n";
    }
    WriteText(STD_OUTPUT_HANDLE, document);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(reinterpret_cast<const char16_t*>(argv[i]));
    const ParsedArguments parsed = ParseToolArguments(args);
    if (!parsed.ok) {
        WriteText(STD_ERROR_HANDLE, "tavrin-upload: " + parsed.error + "\n" + kToolUsage);
        return kUsageExit;
    }
    if (parsed.arguments.mode == ToolMode::Help) {
        WriteText(STD_OUTPUT_HANDLE, kToolUsage);
        return 0;
    }
    return RunReportingAllocationFailure(parsed.arguments);
}
