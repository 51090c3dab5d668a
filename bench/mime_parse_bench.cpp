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

#include "mime/mime_part.h"
#include "tools/hostsim/sim_host.h"

#if defined(TORVANE_HAVE_GMIME)
#include <gmime/gmime.h>
#endif

namespace {

// Deterministic bytes: the same message in every run.
class Random {
public:
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

private:
    std::uint32_t state_ = 0x9E3779B9u;
};

std::string base64Lines(std::size_t rawBytes, Random& random) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::size_t characters = (rawBytes + 2) / 3 * 4;
    std::string text;
    text.reserve(characters + characters / 76 * 2 + 2);
    for (std::size_t i = 0; i < characters; ++i) {
        text += alphabet[random.next() & 63];
        if (i % 76 == 75) text += "\r\n";
    }
    return text + "\r\n";
}

std::string quotedPrintableHtml(int paragraphs, int images) {
    std::string html = "<html><head><meta http-equiv=3D\"Content-Type\" content=3D\"text/html; charset=3Dutf-8\">"
                       "</head>\r\n<body style=3D\"font-family: Calibri\">\r\n";
    for (int i = 0; i < paragraphs; ++i) {
        html += "<p class=3DMsoNormal>Paragraph " + std::to_string(i) +
                " of the quarterly report: figures, caf=C3=A9 notes and a long line that=\r\n"
                " needs a soft break to stay under seventy-six characters.</p>\r\n";
    }
    for (int i = 0; i < images; ++i) html += "<img src=3D\"cid:image" + std::to_string(i) + "@01D9C3B4\">\r\n";
    return html + "</body></html>\r\n";
}

std::string realisticMessage(std::size_t targetBytes) {
    Random random;
    const int images = 4;
    const std::size_t imageBytes = targetBytes / 40;
    std::string text =
        "Received: from mail.example.com (mail.example.com [192.0.2.10])\r\n\tby mx.example.net with ESMTPS id 4F2\r\n"
        "From: \"Carol Chen\" <carol@example.com>\r\nTo: <dave@example.net>\r\nSubject: Quarterly figures\r\n"
        "Date: Tue, 8 Dec 2026 09:01:02 +0800\r\nMessage-ID: <000001d9c3b4$5e6f7a80@example.com>\r\n"
        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n\tboundary=\"----=_NextPart_000_0011\"\r\n\r\n"
        "This is a multipart message in MIME format.\r\n\r\n"
        "------=_NextPart_000_0011\r\nContent-Type: multipart/related;\r\n\ttype=\"multipart/alternative\";\r\n"
        "\tboundary=\"----=_NextPart_001_0012\"\r\n\r\n\r\n"
        "------=_NextPart_001_0012\r\nContent-Type: multipart/alternative;\r\n"
        "\tboundary=\"----=_NextPart_002_0013\"\r\n\r\n\r\n"
        "------=_NextPart_002_0013\r\nContent-Type: text/plain;\r\n\tcharset=\"utf-8\"\r\n"
        "Content-Transfer-Encoding: quoted-printable\r\n\r\n";
    for (int i = 0; i < 200; ++i) text += "Paragraph " + std::to_string(i) + " of the quarterly report.\r\n";
    text += "\r\n------=_NextPart_002_0013\r\nContent-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"
            "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
            quotedPrintableHtml(200, images) + "\r\n------=_NextPart_002_0013--\r\n\r\n";
    for (int i = 0; i < images; ++i) {
        const std::string id = "image" + std::to_string(i) + "@01D9C3B4";
        text += "------=_NextPart_001_0012\r\nContent-Type: image/png;\r\n\tname=\"image" + std::to_string(i) +
                ".png\"\r\nContent-Transfer-Encoding: base64\r\nContent-ID: <" + id + ">\r\n\r\n" +
                base64Lines(imageBytes, random) + "\r\n";
    }
    text += "------=_NextPart_001_0012--\r\n\r\n";
    int attachment = 0;
    while (text.size() < targetBytes) {
        const std::size_t left = (targetBytes - text.size()) * 3 / 4;
        const std::size_t size = std::max<std::size_t>(std::min<std::size_t>(left, 3u << 20), 1024);
        const std::string name = "report-" + std::to_string(++attachment) + ".pdf";
        text += "------=_NextPart_000_0011\r\nContent-Type: application/pdf;\r\n\tname=\"" + name +
                "\"\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n\tfilename=\"" +
                name + "\"\r\n\r\n" + base64Lines(size, random) + "\r\n";
    }
    return text + "------=_NextPart_000_0011--\r\n";
}

const std::string& message(std::size_t megabytes) {
    static std::map<std::size_t, std::string> messages;
    std::string& text = messages[megabytes];
    if (text.empty()) text = realisticMessage(megabytes << 20);
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
// the length of its stored content: the same walk as the GMime one below.
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
std::size_t gmimeParseAndWalk(GByteArray* bytes) {
    GMimeStream* stream = g_mime_stream_mem_new_with_byte_array(bytes);
    g_mime_stream_mem_set_owner(GMIME_STREAM_MEM(stream), FALSE);
    GMimeParser* parser = g_mime_parser_new_with_stream(stream);
    GMimeMessage* parsed = g_mime_parser_construct_message(parser, nullptr);
    std::size_t total = 0;
    if (parsed) {
        g_mime_message_foreach(
            parsed,
            [](GMimeObject*, GMimeObject* part, gpointer data) {
                auto* sum = static_cast<std::size_t*>(data);
                *sum += static_cast<std::size_t>(g_mime_header_list_get_count(g_mime_object_get_header_list(part)));
                if (GMIME_IS_PART(part)) {
                    GMimeDataWrapper* content = g_mime_part_get_content(GMIME_PART(part));
                    if (content) *sum += static_cast<std::size_t>(g_mime_stream_length(g_mime_data_wrapper_get_stream(content)));
                }
            },
            &total);
        g_object_unref(parsed);
    }
    g_object_unref(parser);
    g_object_unref(stream);
    return total;
}

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
        theirs = std::min(theirs, fastestSeconds(1, [&] { return gmimeParseAndWalk(bytes); }));
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
    for (auto _ : state) benchmark::DoNotOptimize(gmimeParseAndWalk(bytes));
    g_byte_array_unref(bytes);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_GMimeParseAndWalk)->Arg(1)->Arg(10)->Arg(25)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK(BM_ParseAndWalk)->Arg(1)->Arg(10)->Arg(25)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
