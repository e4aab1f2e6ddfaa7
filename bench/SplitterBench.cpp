// Splitting speed over five body shapes, on every scan path built for the
// machine (the SSE2 one and the portable one on x86), against a baseline
// that only finds every LF of shape A with memchr:
//   A  one 100 MB part of random bytes
//   B  100,000 small text fields (about 10.8 MB)
//   C  one 100 MB part made of nothing but LF bytes
//   D  100 MB of CR LF "--" and the delimiter less its last byte, repeated,
//      inside one part: a lookalike delimiter line every 40 bytes
//   E  10 MiB of minimal empty parts (about 1.16 million records)
// Each iteration restores the body (the splitter writes zero bytes into it)
// and empties the records outside the timed region; the timed region is
// ParseBody alone. The summary lines use each benchmark's fastest iteration,
// which is the least disturbed by other work on a shared machine (the table
// above them shows means). MB are 10^6 bytes. The last lines printed are,
// per shape and path,
//   shape=X path=P mbps=<MB/s> baseline_mbps=<MB/s> [ms=<milliseconds>]
#include "upload/UploadBody.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <utility>

namespace {

const std::string kDelimiter = "----TavrinFormBoundary7MA4YWxkTrZu0gW";
constexpr size_t kLarge = 100000000;

std::string FilePart(const std::string& content)
{
    return "--" + kDelimiter +
           "\r\nContent-Disposition: form-data; name=\"file\"; filename=\"data.bin\"\r\n"
           "Content-Type: application/octet-stream\r\n\r\n" +
           content + "\r\n--" + kDelimiter + "--\r\n";
}

std::string ShapeA()
{
    std::string content(kLarge, '\0');
    std::mt19937_64 random(42);
    for (size_t i = 0; i + 8 <= content.size(); i += 8) {
        const uint64_t word = random();
        std::memcpy(&content[i], &word, 8);
    }
    return FilePart(content);
}

std::string ShapeB()
{
    std::string body;
    body.reserve(11000000);
    char name[32];
    for (int i = 0; i < 100000; ++i) {
        std::snprintf(name, sizeof name, "field%06d", i);
        body += "--" + kDelimiter + "\r\nContent-Disposition: form-data; name=\"" + name +
                "\"\r\n\r\nSome short text value of a form field\r\n";
    }
    return body + "--" + kDelimiter + "--\r\n";
}

std::string ShapeC()
{
    return FilePart(std::string(kLarge, '\n'));
}

std::string ShapeD()
{
    const std::string unit = "\r\n--" + kDelimiter.substr(0, kDelimiter.size() - 1);
    std::string content;
    content.reserve(kLarge + unit.size());
    while (content.size() + unit.size() <= kLarge)
        content += unit;
    return FilePart(content);
}

std::string ShapeE()
{
    const std::string part = "--B\r\n\r\n\r\n";
    const std::string closing = "--B--";
    std::string body;
    const size_t limit = 10 * 1024 * 1024;
    body.reserve(limit);
    while (body.size() + part.size() + closing.size() <= limit)
        body += part;
    return body + closing;
}

const std::string& Shape(char shape)
{
    static std::map<char, std::string> bodies;
    auto found = bodies.find(shape);
    if (found != bodies.end())
        return found->second;
    std::string body;
    switch (shape) {
    case 'A':
        body = ShapeA();
        break;
    case 'B':
        body = ShapeB();
        break;
    case 'C':
        body = ShapeC();
        break;
    case 'D':
        body = ShapeD();
        break;
    default:
        body = ShapeE();
        break;
    }
    return bodies.emplace(shape, std::move(body)).first->second;
}

struct Best
{
    double seconds = 0;
    double bytes = 0;
    void Add(double elapsed, double size)
    {
        if (seconds == 0 || elapsed < seconds) {
            seconds = elapsed;
            bytes = size;
        }
    }
    double Mbps() const { return bytes / 1e6 / seconds; }
};
std::map<std::pair<char, std::string>, Best> g_best;
Best g_baseline;

void Split(benchmark::State& state, char shape, const ByteScanPath* path)
{
    const std::string& original = Shape(shape);
    const int32_t size = static_cast<int32_t>(original.size());
    CUploadBody body;
    body.UseScanPath(*path);
    if (FAILED(body.AllocBody(size))) {
        state.SkipWithError("no memory for the body");
        return;
    }
    body.AppendBody(reinterpret_cast<const uint8_t*>(original.data()), size);
    int32_t records = 0;
    Best& best = g_best[{shape, path->name}];
    for (auto _ : state) {
        std::memcpy(body.BodyData(), original.data(), original.size());
        body.Fields().Empty();
        body.SetCursor(0);
        int32_t pageCode = 65535;
        const auto start = std::chrono::steady_clock::now();
        const HRESULT result = body.ParseBody(pageCode);
        const auto stop = std::chrono::steady_clock::now();
        if (result != 1) {
            state.SkipWithError("the body did not split");
            return;
        }
        records = body.Fields().GetSize();
        const double seconds = std::chrono::duration<double>(stop - start).count();
        state.SetIterationTime(seconds);
        best.Add(seconds, static_cast<double>(size));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
    state.counters["records"] = records;
}

void Baseline(benchmark::State& state)
{
    const std::string& body = Shape('A');
    const auto* begin = reinterpret_cast<const uint8_t*>(body.data());
    const auto* end = begin + body.size();
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        size_t lineFeeds = 0;
        for (const uint8_t* p = begin;; ++p) {
            p = static_cast<const uint8_t*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (!p)
                break;
            ++lineFeeds;
        }
        benchmark::DoNotOptimize(lineFeeds);
        const auto stop = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double>(stop - start).count();
        state.SetIterationTime(elapsed);
        g_baseline.Add(elapsed, static_cast<double>(body.size()));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * body.size());
}

BENCHMARK(Baseline)->Name("baseline_memchr_lf_A")->UseManualTime()->MinTime(1.0);

} // namespace

int main(int argc, char** argv)
{
    for (char shape : {'A', 'B', 'C', 'D', 'E'}) {
        for (const ByteScanPath* path : kScanPaths) {
            const std::string name = std::string("Split/") + shape + "/" + path->name;
            benchmark::RegisterBenchmark(name.c_str(), Split, shape, path)
                ->UseManualTime()
                ->MinTime(1.0);
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& [key, best] : g_best) {
        if (best.seconds <= 0)
            continue;
        const auto& [shape, path] = key;
        std::printf("shape=%c path=%s mbps=%.0f baseline_mbps=%.0f", shape, path.c_str(),
                    best.Mbps(), g_baseline.seconds > 0 ? g_baseline.Mbps() : 0.0);
        if (shape == 'E')
            std::printf(" ms=%.1f", best.seconds * 1000);
        std::printf("\n");
    }
    return 0;
}
