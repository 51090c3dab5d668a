// Rendering a realistic reply template with a large quoted body. The quoted
// body is inserted once by the single pass and scanned once for signature
// tokens, so a rendering should cost a small multiple of copying its bytes.
// Each size reports the rendering time and, measured in the same run, the
// time memcpy takes for the rendered bytes ("memcpy_us", "x_memcpy").
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <sys/mman.h>

#include "platform/files.h"
#include "platform/message_box.h"
#include "session/compose_session.h"
#include "template/render_template.h"
#include "text/html_text.h"
#include "tools/hostsim/sim_host.h"

namespace {

const HostWindow kWindow = reinterpret_cast<HostWindow>(0x4242);

const char* const kReplyTemplate = R"(<html>
<head><meta http-equiv="Content-Type" content="text/html; charset=utf-8"></head>
<body>
<div id="torvane_text_id">&nbsp;</div>
<p>%CETXT{%N 敬上}{Best regards, %N &lt;%A&gt;}</p>
%G{Work}
<hr>
<p>%CETXT{%n 于 %d 写道：}{On %d, %n wrote:}</p>
<div style="width: 100%%">
<b>From:</b> %f (%a)<br>
<b>To:</b> %t%h{"&lt;br&gt;&lt;b&gt;Cc:&lt;/b&gt; "Cc}<br>
<b>Subject:</b> %s / %S<br>
<b>Message-Id:</b> %i / %I<br>
%LH{Files:}<br>
%LV{Attachments:}
</div>
<blockquote>%m</blockquote>
%G{Default}
%R
</body>
</html>
)";

std::string quotedBodyOf(std::size_t size) {
    const std::string line =
        "<div>Quarterly figures grew by 12% in the north &amp; 7% in the south; see the attached "
        "report for details.</div>\r\n";
    std::string body;
    body.reserve(size + line.size());
    while (body.size() < size) body += line;
    body.resize(size);
    return body;
}

class Mailbox {
public:
    Mailbox() {
        root_ = std::filesystem::temp_directory_path() / "torvane-template-bench";
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "box");
        write("MailBox.ini", "[Account]\r\nYourName=Bo Chen\r\nMailAddress=bo@example.org\r\n");
        write("$$$00000Default.txt", "Bo Chen\r\nSales\r\n");
        write("$$$00001html_Work.txt", "<p><b>Bo Chen</b> | Sales team</p>");
        write("$$$00002Thanks.txt", "Thanks!\r\nBo\r\n");
    }
    ~Mailbox() { std::filesystem::remove_all(root_); }
    std::string dataFolder() const { return root_.string() + platform::kPathSeparator; }

private:
    void write(const std::string& name, const std::string& content) {
        std::ofstream((root_ / "box" / name).string(), std::ios::binary) << content;
    }
    std::filesystem::path root_;
};

void setUpHost(const Mailbox& mailbox) {
    auto& host = hostsim::simHost();
    host.reset();
    hostsim::installSimulatedHost();
    host.dataFolder = mailbox.dataFolder();
    host.currentMailBox = std::string("box") + platform::kPathSeparator;
    host.message.charset = "UTF-8";
    host.message.headers = {{"From", "\"Ann Lee\" <ann@example.org>"},
                            {"To", "Bo Chen <bo@example.org>"},
                            {"Cc", "Carl <carl@example.org>"},
                            {"Date", "Tue, 2 Jan 2024 09:30:00 +0100"},
                            {"Message-Id", "<20240102093000.4711@example.org>"}};
    host.compositions[kWindow].subject = "Re: Quarterly report";
    platform::setMessageBoxSink([](const std::string&, const std::string&) {});
}

double memcpyMicroseconds(std::size_t bytes) {
    std::vector<char> source(bytes, 'q');
    std::vector<char> target(bytes);
    std::memcpy(target.data(), source.data(), bytes);  // warm both
    constexpr int kRounds = 20;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRounds; ++i) {
        std::memcpy(target.data(), source.data(), bytes);
        benchmark::ClobberMemory();
    }
    const std::chrono::duration<double, std::micro> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count() / kRounds;
}

// The same bytes copied into memory the process has never touched (mapped
// afresh each time, page faults included): the baseline for a rendering that
// cannot reuse memory.
double freshCopyMicroseconds(std::size_t bytes) {
    const std::string source(bytes, 'q');
    constexpr int kRounds = 10;
    double total = 0;
    for (int i = 0; i < kRounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        void* target = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (target == MAP_FAILED) return 0;
        std::memcpy(target, source.data(), bytes);
        benchmark::ClobberMemory();
        total += std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        munmap(target, bytes);
    }
    return total / kRounds;
}

std::unique_ptr<ComposeSession> replySession() {
    auto session = std::make_unique<ComposeSession>(kWindow, SessionKind::Compose);
    for (int i = 0; i < 30; ++i) {
        session->attachments.push_back({"C:\\Temp\\", "attachment-" + std::to_string(i + 1) + ".pdf"});
    }
    return session;
}

void reportAgainstMemcpy(benchmark::State& state, std::size_t renderedBytes) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * renderedBytes));
    const double copy = memcpyMicroseconds(renderedBytes);
    state.counters["rendered_bytes"] = static_cast<double>(renderedBytes);
    state.counters["memcpy_us"] = copy;
    state.counters["fresh_copy_us"] = freshCopyMicroseconds(renderedBytes);
    // Time per rendering divided by the memcpy time of its bytes.
    state.counters["x_memcpy"] = benchmark::Counter(copy * 1e-6, benchmark::Counter::kIsIterationInvariantRate |
                                                                     benchmark::Counter::kInvert);
}

// Renderings of one session, as the compose flow and then re-renderings do:
// the session's previous rendering is there to be replaced.
void BM_RenderReply(benchmark::State& state) {
    const Mailbox mailbox;
    setUpHost(mailbox);
    std::srand(1);
    const auto session = replySession();
    const std::string quotedBody = quotedBodyOf(static_cast<std::size_t>(state.range(0)));
    const std::string templateText = kReplyTemplate;

    std::size_t renderedBytes = 0;
    for (auto _ : state) {
        std::string text = templateText;
        renderTemplate(nullptr, *session, quotedBody, text);
        renderedBytes = text.size();
        benchmark::DoNotOptimize(text.data());
        state.PauseTiming();
        hostsim::simHost().calls.clear();
        state.ResumeTiming();
    }
    reportAgainstMemcpy(state, renderedBytes);
    platform::setMessageBoxSink(nullptr);
}

// The first rendering of a new session each time: all memory is fresh.
void BM_RenderReplyNewSession(benchmark::State& state) {
    const Mailbox mailbox;
    setUpHost(mailbox);
    std::srand(1);
    const std::string quotedBody = quotedBodyOf(static_cast<std::size_t>(state.range(0)));
    const std::string templateText = kReplyTemplate;

    std::size_t renderedBytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto session = replySession();
        hostsim::simHost().calls.clear();
        state.ResumeTiming();
        std::string text = templateText;
        renderTemplate(nullptr, *session, quotedBody, text);
        renderedBytes = text.size();
        benchmark::DoNotOptimize(text.data());
        state.PauseTiming();
        text = std::string();
        session.reset();
        state.ResumeTiming();
    }
    reportAgainstMemcpy(state, renderedBytes);
    platform::setMessageBoxSink(nullptr);
}

// A plain-text body turned into HTML (a reply with ConvertText on): lines
// of mail text, a few with angle brackets, some blank.
void BM_PlainTextToHtml(benchmark::State& state) {
    const std::string lines[] = {"and <b> = caf\xC3\xA9 = for & the = line\r\n", "\r\n",
                                 "\"quoted\" na\xC3\xAFve the figures line for M\xC3\xBCnchen for figures line\r\n",
                                 "report for caf\xC3\xA9 r\xC3\xA9sum\xC3\xA9 \"quoted\"\r\n"};
    std::string text;
    for (std::size_t i = 0; text.size() < static_cast<std::size_t>(state.range(0)); ++i) text += lines[i % 4];
    hostsim::simHost().reset();
    hostsim::installSimulatedHost();
    std::size_t htmlBytes = 0;
    for (auto _ : state) {
        const std::string html = plainTextToHtml(text);
        htmlBytes = html.size();
        benchmark::DoNotOptimize(html.data());
    }
    reportAgainstMemcpy(state, htmlBytes);
}

}  // namespace

BENCHMARK(BM_PlainTextToHtml)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderReply)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderReplyNewSession)->Arg(100 << 10)->Arg(1 << 20)->Arg(10 << 20)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
