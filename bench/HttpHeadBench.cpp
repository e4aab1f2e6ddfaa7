// Reading a request head that arrives a byte at a time: the head reader fed
// the growing buffer after every byte, against a baseline that parses the
// whole buffer again after every byte (what reading a head cost before the
// reader kept its place). Two heads: one of 16 KiB (the limit, one long
// field) and one of 100 short fields. The last lines printed are, per head,
//   head=H reader_us=<microseconds> baseline_us=<microseconds> ratio=<baseline/reader>
// from each benchmark's fastest iteration.
#include "core/HttpHead.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>

namespace {

std::string LongFieldHead()
{
    const std::string start = "GET / HTTP/1.1\r\nX: ";
    return start + std::string(kMaxHeadBytes - start.size() - 4, 'a') + "\r\n\r\n";
}

std::string ManyFieldsHead()
{
    std::string head = "POST /upload.asp HTTP/1.1\r\n";
    for (int i = 0; i < 100; ++i)
        head += "X-Field-" + std::to_string(i) + ": value " + std::to_string(i) + "\r\n";
    return head + "\r\n";
}

std::map<std::string, double> g_fastest; // "head/kind" -> microseconds

void Record(const std::string& key, double microseconds)
{
    auto found = g_fastest.find(key);
    if (found == g_fastest.end() || microseconds < found->second)
        g_fastest[key] = microseconds;
}

template <typename Feed>
void Run(benchmark::State& state, const std::string& key, const std::string& bytes, Feed feed)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const HeadParse result = feed(bytes);
        const std::chrono::duration<double, std::micro> took =
            std::chrono::steady_clock::now() - start;
        benchmark::DoNotOptimize(result);
        if (result != HeadParse::Complete)
            state.SkipWithError("the head did not parse");
        Record(key, took.count());
    }
}

HeadParse ByteAtATimeReader(const std::string& bytes)
{
    HttpHeadReader reader;
    HttpHead head;
    size_t length = 0;
    HeadParse result = HeadParse::Incomplete;
    for (size_t fed = 1; result == HeadParse::Incomplete && fed <= bytes.size(); ++fed)
        result = reader.Read(std::string_view(bytes).substr(0, fed), head, length);
    return result;
}

HeadParse ByteAtATimeWhole(const std::string& bytes)
{
    HttpHead head;
    size_t length = 0;
    HeadParse result = HeadParse::Incomplete;
    for (size_t fed = 1; result == HeadParse::Incomplete && fed <= bytes.size(); ++fed)
        result = ParseHttpHead(std::string_view(bytes).substr(0, fed), head, length);
    return result;
}

void Register(const std::string& name, const std::string& bytes)
{
    benchmark::RegisterBenchmark((name + "/reader").c_str(), [name, bytes](benchmark::State& s) {
        Run(s, name + "/reader", bytes, ByteAtATimeReader);
    });
    benchmark::RegisterBenchmark((name + "/baseline").c_str(), [name, bytes](benchmark::State& s) {
        Run(s, name + "/baseline", bytes, ByteAtATimeWhole);
    });
}

} // namespace

int main(int argc, char** argv)
{
    Register("long-field-16KiB", LongFieldHead());
    Register("100-fields", ManyFieldsHead());
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    for (const char* head : {"long-field-16KiB", "100-fields"}) {
        const double reader = g_fastest[std::string(head) + "/reader"];
        const double baseline = g_fastest[std::string(head) + "/baseline"];
        printf("head=%s reader_us=%.1f baseline_us=%.1f ratio=%.1f\n", head, reader, baseline,
               baseline / std::max(reader, 0.001));
    }
    benchmark::Shutdown();
    return 0;
}
