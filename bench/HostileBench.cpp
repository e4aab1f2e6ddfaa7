// bench_hostile: hostile request bodies through the built DLL under Wine.
// Each shape is a body of exactly 10 MiB (the default MaxSize), served by the
// host double in 256 KiB BinaryRead chunks to an Upload object made by the
// DLL's class object; Count reads and splits it, then every item is taken by
// its position and read: Name, FileName, ContentType, Size and Content as
// bytes. The shapes:
//   baseline           one file part of pseudo-random bytes
//   lf_flood           one file part of nothing but LF bytes
//   cr_flood           one file part of nothing but CR bytes
//   near_delimiter     one file part of CR LF "--" and the delimiter less its
//                      last byte, repeated: a lookalike line every 40 bytes
//   minimal_parts      about 1.75 million empty parts of 6 bytes each
//   header_line        a 10 MB Content-Disposition line whose parameters
//                      come last, after partial matches of both of them
//   first_line         a 10 MB first line: the delimiter, then nothing
//   name_unquoted      a 10 MB unquoted name= value
//   header_lines_100k  a part with 100,000 header lines, alternately
//                      Content-Disposition and Content-Type
//   params_100k        a Content-Disposition line with 100,000 "; x=y"
//   preamble_crlf      10 MB of CR LF before the first delimiter
//
// Every shape runs in a fresh process (this program started again with
// --shape=NAME), so that the peak working set (PeakWorkingSetSize, which
// Wine takes from the kernel's high-water mark) belongs to that shape alone;
// the best of --runs=N runs (3 by default) is kept. Figures, MiB = 2^20:
//   ms             Count plus reading every item
//   peak_mb        rise of the peak working set over the whole run, above
//                  the process as it stood with the host holding the body
//                  and the Upload object made
//   items          Count's result
//   parse_ms, parse_peak_mb   the same for Count alone
//   copy_mb        the largest sum of results that one item handed to the
//                  caller at once (Content's byte array is a copy)
// and the goals: time within 5x the baseline's ms; memory within the body
// plus 48 bytes per item plus 1 MiB while splitting (parse_peak_mb), and that
// plus copy_mb over the whole run. The goals are reported, not enforced.
#include "TavrinUpload_h.h"
#include "support/BuiltDll.h"
#include "support/HostDouble.h"
#include "util/BstrHolder.h"
#include "util/ComPtr.h"
#include "util/VariantHolder.h"

#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr size_t kBodySize = 10 * 1024 * 1024;
constexpr double kMiB = 1024.0 * 1024.0;
const std::string kDelimiter = "----TavrinFormBoundary7MA4YWxkTrZu0gW";
const std::string kFileHead =
    "--" + kDelimiter +
    "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"data.bin\"\r\n"
    "Content-Type: application/octet-stream\r\n\r\n";
const std::string kClosing = "\r\n--" + kDelimiter + "--\r\n";

// Builds a body in place, in one buffer reserved at its final size, so that
// making it never raises the peak above the body itself.
class BodyBuilder
{
public:
    BodyBuilder() { m_bytes.reserve(kBodySize); }

    void Add(std::string_view text) { m_bytes.insert(m_bytes.end(), text.begin(), text.end()); }
    // Whole copies of unit while they fit below until.
    void Repeat(std::string_view unit, size_t until)
    {
        while (m_bytes.size() + unit.size() <= until)
            Add(unit);
    }
    void Pad(uint8_t byte, size_t until)
    {
        if (m_bytes.size() < until)
            m_bytes.resize(until, byte);
    }
    void Random(size_t until)
    {
        uint64_t state = 0x9E3779B97F4A7C15ull;
        while (m_bytes.size() < until) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            m_bytes.push_back(static_cast<uint8_t>(state >> 32));
        }
    }
    size_t Size() const { return m_bytes.size(); }
    std::vector<uint8_t> Take() { return std::move(m_bytes); }

private:
    std::vector<uint8_t> m_bytes;
};

// One file part whose content fills the body, made by fill.
template <class Fill> std::vector<uint8_t> FileBody(std::string_view head, Fill fill)
{
    BodyBuilder body;
    body.Add(head);
    fill(body, kBodySize - kClosing.size());
    body.Add(kClosing);
    return body.Take();
}

std::vector<uint8_t> Baseline()
{
    return FileBody(kFileHead, [](BodyBuilder& b, size_t until) { b.Random(until); });
}

std::vector<uint8_t> LfFlood()
{
    return FileBody(kFileHead, [](BodyBuilder& b, size_t until) { b.Pad('\n', until); });
}

std::vector<uint8_t> CrFlood()
{
    return FileBody(kFileHead, [](BodyBuilder& b, size_t until) { b.Pad('\r', until); });
}

std::vector<uint8_t> NearDelimiter()
{
    return FileBody(kFileHead, [](BodyBuilder& b, size_t until) {
        b.Repeat("\r\n--" + kDelimiter.substr(0, kDelimiter.size() - 1), until);
        b.Pad('x', until);
    });
}

// A part is the blank line that ends its (empty) header block and then LF
// "--B" LF: bare LF line ends are accepted everywhere.
std::vector<uint8_t> MinimalParts()
{
    const std::string closing = "\n\n--B--\n";
    BodyBuilder body;
    body.Add("--B\n");
    body.Repeat("\n\n--B\n", kBodySize - closing.size());
    body.Add(closing);
    body.Pad('x', kBodySize);
    return body.Take();
}

std::vector<uint8_t> HeaderLine()
{
    const std::string tail = " name=\"file\"; filename=\"data.bin\"\r\n\r\nx" + kClosing;
    BodyBuilder body;
    body.Add("--" + kDelimiter + "\r\nContent-Disposition: form-data;");
    body.Repeat(" filename nam", kBodySize - tail.size());
    body.Pad(' ', kBodySize - tail.size());
    body.Add(tail);
    return body.Take();
}

std::vector<uint8_t> FirstLine()
{
    BodyBuilder body;
    body.Add("--");
    body.Pad('a', kBodySize - 2);
    body.Add("\r\n");
    return body.Take();
}

std::vector<uint8_t> NameUnquoted()
{
    const std::string tail = "\r\n\r\nx" + kClosing;
    BodyBuilder body;
    body.Add("--" + kDelimiter + "\r\nContent-Disposition: form-data; name=");
    body.Pad('n', kBodySize - tail.size());
    body.Add(tail);
    return body.Take();
}

std::vector<uint8_t> HeaderLines()
{
    std::string head = "--" + kDelimiter + "\r\n";
    head.reserve(4 * 1024 * 1024);
    for (int i = 0; i < 50000; ++i) {
        head += "Content-Disposition: form-data; name=\"file\"; filename=\"data.bin\"\r\n"
                "Content-Type: application/octet-stream\r\n";
    }
    head += "\r\n";
    return FileBody(head, [](BodyBuilder& b, size_t until) { b.Pad('a', until); });
}

std::vector<uint8_t> Params()
{
    std::string head = "--" + kDelimiter + "\r\nContent-Disposition: form-data";
    head.reserve(600000);
    for (int i = 0; i < 100000; ++i)
        head += "; x=y";
    head += "; name=\"file\"; filename=\"data.bin\"\r\n"
            "Content-Type: application/octet-stream\r\n\r\n";
    return FileBody(head, [](BodyBuilder& b, size_t until) { b.Pad('a', until); });
}

std::vector<uint8_t> PreambleCrLf()
{
    const std::string tail = kFileHead + "x" + kClosing;
    BodyBuilder body;
    body.Repeat("\r\n", kBodySize - tail.size());
    body.Pad('\n', kBodySize - tail.size());
    body.Add(tail);
    return body.Take();
}

struct Shape
{
    const char* name;
    std::vector<uint8_t> (*build)();
};

// The baseline comes first: the others are measured against it.
const Shape kShapes[] = {
    {"baseline", Baseline},
    {"lf_flood", LfFlood},
    {"cr_flood", CrFlood},
    {"near_delimiter", NearDelimiter},
    {"minimal_parts", MinimalParts},
    {"header_line", HeaderLine},
    {"first_line", FirstLine},
    {"name_unquoted", NameUnquoted},
    {"header_lines_100k", HeaderLines},
    {"params_100k", Params},
    {"preamble_crlf", PreambleCrLf},
};

const Shape* FindShape(std::string_view name)
{
    for (const Shape& shape : kShapes) {
        if (name == shape.name)
            return &shape;
    }
    return nullptr;
}

struct Memory
{
    uint64_t current;
    uint64_t peak;
};

Memory MemoryNow()
{
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return {counters.WorkingSetSize, counters.PeakWorkingSetSize};
}

double Milliseconds(std::chrono::steady_clock::duration elapsed)
{
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

size_t TextBytes(const BstrHolder& text)
{
    return SysStringByteLen(text.Get());
}

// Reads one item as a page would and returns the bytes of the results it
// handed over, all alive at once.
size_t ReadItem(IUpload* upload, LONG position)
{
    VARIANT index;
    index.vt = VT_I4;
    index.lVal = position;
    VariantHolder result;
    if (FAILED(upload->get_Item(index, result.Get())) || result->vt != VT_DISPATCH)
        return 0;
    ComPtr<IUploadFile> item;
    if (FAILED(result->pdispVal->QueryInterface(
            IID_IUploadFile, reinterpret_cast<void**>(item.ReleaseAndGetAddressOf()))))
        return 0;
    BstrHolder name;
    BstrHolder fileName;
    BstrHolder contentType;
    LONG size = 0;
    VariantHolder content;
    item->get_Name(name.ReleaseAndGetAddressOf());
    item->get_FileName(fileName.ReleaseAndGetAddressOf());
    item->get_ContentType(contentType.ReleaseAndGetAddressOf());
    item->get_Size(&size);
    item->get_Content(VARIANT_FALSE, content.Get());
    size_t bytes = TextBytes(name) + TextBytes(fileName) + TextBytes(contentType);
    if (content->vt == (VT_ARRAY | VT_UI1) && content->parray)
        bytes += content->parray->rgsabound[0].cElements;
    return bytes;
}

// The child's part: one shape, one line of raw figures on stdout.
int RunShape(const Shape& shape, const wchar_t* dllPath)
{
    std::vector<uint8_t> bytes = shape.build();
    if (bytes.size() != kBodySize) {
        std::fprintf(stderr, "%s: the body has %zu bytes\n", shape.name, bytes.size());
        return 2;
    }
    HostDouble host;
    host.SetUnexpectedCallHandler([](const char* member) {
        std::fprintf(stderr, "unexpected host call: %s\n", member);
        ExitProcess(3);
    });
    host.SetBody(std::move(bytes));
    BuiltDll dll(dllPath);
    if (!dll.Loaded()) {
        std::fprintf(stderr, "cannot load %ls\n", dllPath);
        return 2;
    }
    ComPtr<IUpload> upload;
    if (FAILED(dll.Create(CLSID_Upload, &upload)) || FAILED(upload->OnStartPage(host.Context()))) {
        std::fprintf(stderr, "cannot make an Upload object\n");
        return 2;
    }

    const Memory before = MemoryNow();
    const auto start = std::chrono::steady_clock::now();
    LONG count = 0;
    const HRESULT status = upload->get_Count(&count);
    const auto parsed = std::chrono::steady_clock::now();
    const Memory afterParse = MemoryNow();
    size_t copy = 0;
    for (LONG i = 0; SUCCEEDED(status) && i < count; ++i)
        copy = std::max(copy, ReadItem(upload.Get(), i));
    const auto end = std::chrono::steady_clock::now();
    const Memory afterRead = MemoryNow();

    upload->OnEndPage();
    upload.Reset();
    if (host.References() != 0 || dll.CanUnloadNow() != S_OK) {
        std::fprintf(stderr, "objects or host references left behind\n");
        return 2;
    }
    std::printf("ms=%.3f parse_ms=%.3f peak=%llu parse_peak=%llu copy=%llu items=%ld "
                "status=0x%08lx\n",
                Milliseconds(end - start), Milliseconds(parsed - start),
                static_cast<unsigned long long>(afterRead.peak - before.current),
                static_cast<unsigned long long>(afterParse.peak - before.current),
                static_cast<unsigned long long>(copy), static_cast<long>(count),
                static_cast<unsigned long>(status));
    return 0;
}

struct Figures
{
    double ms = 0;
    double parseMs = 0;
    unsigned long long peak = 0;
    unsigned long long parsePeak = 0;
    unsigned long long copy = 0;
    long items = 0;
    unsigned long status = 0;
};

// Runs this program again for one shape and parses its line.
bool RunChild(const std::wstring& self, const std::wstring& dll, const Shape& shape,
              Figures* figures)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readRaw = nullptr;
    HANDLE writeRaw = nullptr;
    if (!CreatePipe(&readRaw, &writeRaw, &inherit, 0))
        return false;
    HandleHolder readEnd(readRaw);
    HandleHolder writeEnd(writeRaw);
    SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0);

    std::wstring line = L"\"" + self + L"\" --dll=\"" + dll + L"\" --shape=";
    for (const char* c = shape.name; *c; ++c)
        line += static_cast<wchar_t>(*c);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(self.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    HandleHolder processHandle(process.hProcess);
    HandleHolder threadHandle(process.hThread);
    writeEnd.Reset();

    std::string output;
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(readEnd.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        output.append(buffer, got);
    WaitForSingleObject(processHandle.Get(), INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(processHandle.Get(), &exitCode);
    if (exitCode != 0)
        return false;
    return std::sscanf(output.c_str(),
                       "ms=%lf parse_ms=%lf peak=%llu parse_peak=%llu copy=%llu items=%ld "
                       "status=0x%lx",
                       &figures->ms, &figures->parseMs, &figures->peak, &figures->parsePeak,
                       &figures->copy, &figures->items, &figures->status) == 7;
}

void Report(const Shape& shape, const Figures& f, double baselineMs)
{
    const double goalMb = (kBodySize + 48.0 * f.items) / kMiB + 1.0;
    const double timeRatio = f.ms / baselineMs;
    const bool timeOk = timeRatio <= 5.0;
    const bool memoryOk = f.parsePeak / kMiB <= goalMb && f.peak / kMiB <= goalMb + f.copy / kMiB;
    std::printf("shape=%s ms=%.1f peak_mb=%.1f items=%ld parse_ms=%.1f parse_peak_mb=%.1f "
                "copy_mb=%.1f status=0x%08lx time_x=%.2f goal_mb=%.1f time=%s memory=%s\n",
                shape.name, f.ms, f.peak / kMiB, f.items, f.parseMs, f.parsePeak / kMiB,
                f.copy / kMiB, f.status, timeRatio, goalMb, timeOk ? "ok" : "MISS",
                memoryOk ? "ok" : "MISS");
    std::fflush(stdout);
}

std::wstring Widen(const char* text)
{
    std::wstring wide;
    for (; *text; ++text)
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return wide;
}

} // namespace

// Arguments: --runs=N, --dll=PATH, --only=NAME (one shape, plus the
// baseline), or --shape=NAME (the child's part).
int main(int argc, char** argv)
{
    std::wstring dll = L"" TAVRIN_DLL_PATH;
    int runs = 3;
    const char* only = nullptr;
    const char* shapeName = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg.rfind("--runs=", 0) == 0)
            runs = std::max(1, std::atoi(argv[i] + 7));
        else if (arg.rfind("--dll=", 0) == 0)
            dll = Widen(argv[i] + 6);
        else if (arg.rfind("--only=", 0) == 0)
            only = argv[i] + 7;
        else if (arg.rfind("--shape=", 0) == 0)
            shapeName = argv[i] + 8;
        else {
            std::fprintf(stderr, "usage: bench_hostile [--runs=N] [--only=SHAPE] [--dll=PATH]\n");
            return 2;
        }
    }
    if (shapeName) {
        const Shape* shape = FindShape(shapeName);
        if (!shape) {
            std::fprintf(stderr, "no shape %s\n", shapeName);
            return 2;
        }
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
            return 2;
        const int result = RunShape(*shape, dll.c_str());
        CoUninitialize();
        return result;
    }

    wchar_t self[MAX_PATH];
    if (!GetModuleFileNameW(nullptr, self, MAX_PATH))
        return 2;
    double baselineMs = 0;
    int failures = 0;
    for (const Shape& shape : kShapes) {
        const bool isBaseline = &shape == &kShapes[0];
        if (only && !isBaseline && std::strcmp(only, shape.name) != 0)
            continue;
        Figures best;
        bool any = false;
        for (int run = 0; run < runs; ++run) {
            Figures figures;
            if (!RunChild(self, dll, shape, &figures))
                continue;
            const unsigned long long peak = std::max(best.peak, figures.peak);
            const unsigned long long parsePeak = std::max(best.parsePeak, figures.parsePeak);
            if (!any || figures.ms < best.ms)
                best = figures;
            best.peak = peak;
            best.parsePeak = parsePeak;
            any = true;
        }
        if (!any) {
            std::printf("shape=%s failed\n", shape.name);
            ++failures;
            continue;
        }
        if (isBaseline)
            baselineMs = best.ms;
        Report(shape, best, baselineMs);
    }
    return failures == 0 ? 0 : 1;
}
