// Parsing and walking realistic messages of about 1, 10 and 25 MB: a
// multipart/mixed with a multipart/related HTML body (alternative text and
// HTML, cid pictures) and base64 attachments, as mail clients send them.
// Reports throughput, the peak memory of a parse relative to the message
// size ("peak_x_msg", message text included) and, when GMime 3 is linked,
// GMime's throughput on the same bytes and the ratio ("x_gmime" > 1: faster).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include "bench/sample_messages.h"
#include "mime/mime_part.h"
#include "tools/hostsim/sim_host.h"

#if defined(TORVANE_HAVE_GMIME)
#include "bench/gmime_walk.h"
#endif

namespace {

const std::string& message(std::size_t megabytes) {
    static std::map<std::size_t, std::string> messages;
    std::string& text = messages[megabytes];
    if (text.empty()) text = bench::realisticMessage(megabytes << 20);
    return text;
}

void installHost() {
    static bool installed = false;
    if (installed) return;
    hostsim::simHost().reset();
    hostsim::installSimulatedHost();
    hostsim::simHost().tempFolder = "/tmp/";
    installed = true;
}

// Parses the text and visits every part, totalling its header count and
// the length of its stored content: the same walk as bench::gmimeParseAndWalk.
std::size_t parseAndWalk(const std::string& text) {
    MimePart root;
    const char* cursor = text.c_str();
    root.parse(cursor, nullptr);
    std::size_t total = 0;
    forEachPart(root, [&](MimePart& part) {
        total += part.headers.size() + part.body.totalLength() + part.epilogue.totalLength();
    });
    return total;
}

std::size_t statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.compare(0, std::strlen(field), field) == 0) return std::stoul(line.substr(std::strlen(field)));
    }
    return 0;
}

// Peak resident memory of one parse-and-walk over its start, with the
// message text (which the caller holds during the parse) added.
double peakTimesMessage(const std::string& text) {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // resets the high-water mark
    const std::size_t before = statusKilobytes("VmRSS:");
    benchmark::DoNotOptimize(parseAndWalk(text));
    const std::size_t peak = statusKilobytes("VmHWM:");
    const double grown = peak > before ? static_cast<double>(peak - before) * 1024 : 0;
    return (grown + static_cast<double>(text.size())) / static_cast<double>(text.size());
}

#if defined(TORVANE_HAVE_GMIME)
GByteArray* gmimeBytes(const std::string& text) {
    static bool initialised = false;
    if (!initialised) {
        g_mime_init();
        initialised = true;
    }
    GByteArray* bytes = g_byte_array_sized_new(static_cast<guint>(text.size()));
    g_byte_array_append(bytes, reinterpret_cast<const guint8*>(text.data()), static_cast<guint>(text.size()));
    return bytes;
}

template <typename Work>
double fastestSeconds(int runs, Work work) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(work());
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}
#endif

void BM_ParseAndWalk(benchmark::State& state) {
    installHost();
    const std::string& text = message(static_cast<std::size_t>(state.range(0)));
    state.counters["peak_x_msg"] = peakTimesMessage(text);
#if defined(TORVANE_HAVE_GMIME)
    // Both parsers on the same bytes, alternately, best of several runs.
    GByteArray* bytes = gmimeBytes(text);
    double ours = 1e9;
    double theirs = 1e9;
    for (int round = 0; round < 5; ++round) {
        ours = std::min(ours, fastestSeconds(1, [&] { return parseAndWalk(text); }));
        theirs = std::min(theirs, fastestSeconds(1, [&] { return bench::gmimeParseAndWalk(bytes); }));
    }
    g_byte_array_unref(bytes);
    state.counters["gmime_MBps"] = static_cast<double>(text.size()) / theirs / 1e6;
    state.counters["x_gmime"] = theirs / ours;
#endif
    for (auto _ : state) benchmark::DoNotOptimize(parseAndWalk(text));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.counters["message_MB"] = static_cast<double>(text.size()) / 1e6;
}

#if defined(TORVANE_HAVE_GMIME)
void BM_GMimeParseAndWalk(benchmark::State& state) {
    const std::string& text = message(static_cast<std::size_t>(state.range(0)));
    GByteArray* bytes = gmimeBytes(text);
    for (auto _ : state) benchmark::DoNotOptimize(bench::gmimeParseAndWalk(bytes));
    g_byte_array_unref(bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_GMimeParseAndWalk)->Arg(1)->Arg(10)->Arg(25)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK(BM_ParseAndWalk)->Arg(1)->Arg(10)->Arg(25)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
