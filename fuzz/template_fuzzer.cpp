// Renders arbitrary template bytes with arbitrary header values, identity,
// signature texts and attachment names from the simulated host. Input: one
// flags byte (1 re-render, 2 ResetCharset, 4 GBK host, 8 render twice, 16
// and 32 the language, 64 UTF-8 names, 128 room beyond the body a single
// rendering takes), then fields separated by 0x1E in this order: template, quoted
// body, From, To, Date, Message-Id, Subject, Cc, YourName, MailAddress,
// default signature, HTML signature, plain signature, attachment names
// (separated by 0x1F), message charset, re-rendering charset. A missing field
// is an absent header or file. Sizes are bounded: a name or header value
// may hold placeholders that each expand to the whole list or body, so the
// output can grow as their product.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

#include "platform/files.h"
#include "platform/message_box.h"
#include "session/compose_session.h"
#include "template/render_template.h"
#include "tools/hostsim/sim_host.h"

namespace {

constexpr std::size_t kMaxTemplate = 2048;
constexpr std::size_t kMaxField = 512;
constexpr std::size_t kMaxQuotedBody = 8192;
constexpr std::size_t kMaxAttachments = 16;
constexpr std::size_t kMaxAttachmentName = 48;

const HostWindow kWindow = reinterpret_cast<HostWindow>(0x2BAD);

std::vector<std::optional<std::string>> splitFields(const std::string& input, char separator, std::size_t count) {
    std::vector<std::optional<std::string>> fields(count);
    std::size_t start = 0;
    for (std::size_t i = 0; i < count && start <= input.size(); ++i) {
        const std::size_t end = std::min(input.find(separator, start), input.size());
        fields[i] = input.substr(start, end - start);
        start = end + 1;
    }
    return fields;
}

std::string bounded(const std::optional<std::string>& field, std::size_t limit) {
    return field ? field->substr(0, limit) : std::string();
}

const std::string& mailboxRoot() {
    static const std::string root = [] {
        const auto path = std::filesystem::temp_directory_path() / ("torvane-template-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(path / "box");
        return path.string() + platform::kPathSeparator;
    }();
    return root;
}

void writeOrRemove(const std::string& path, const std::optional<std::string>& content) {
    if (content) {
        std::ofstream(path, std::ios::binary) << content->substr(0, kMaxField);
    } else {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const unsigned flags = data[0];
    const auto fields = splitFields(std::string(reinterpret_cast<const char*>(data) + 1, size - 1), '\x1e', 16);

    auto& host = hostsim::simHost();
    host.reset();
    hostsim::installSimulatedHost();
    platform::setMessageBoxSink([](const std::string&, const std::string&) {});
    host.dataFolder = mailboxRoot();
    host.currentMailBox = std::string("box") + platform::kPathSeparator;
    host.localCodePage = (flags & 4) ? "GBK" : "UTF-8";
    const char* const headerNames[] = {"From", "To", "Date", "Message-Id"};
    for (int i = 0; i < 4; ++i) {
        if (fields[2 + i]) host.message.headers.emplace_back(headerNames[i], bounded(fields[2 + i], kMaxField));
    }
    host.compositions[kWindow].subject = bounded(fields[6], kMaxField);
    if (fields[7]) host.message.headers.emplace_back("Cc", bounded(fields[7], kMaxField));
    host.message.charset = bounded(fields[14], 40);

    const std::string folder = host.dataFolder + host.currentMailBox;
    if (fields[8] || fields[9]) {
        writeOrRemove(folder + "MailBox.ini",
                      "[Account]\r\nYourName=" + bounded(fields[8], kMaxField) +
                          "\r\nMailAddress=" + bounded(fields[9], kMaxField) + "\r\n");
    } else {
        writeOrRemove(folder + "MailBox.ini", std::nullopt);
    }
    writeOrRemove(folder + "$$$00000Default.txt", fields[10]);
    writeOrRemove(folder + "$$$00001html_Fuzz.txt", fields[11]);
    writeOrRemove(folder + "$$$00002Plain.txt", fields[12]);

    const auto configure = [&](ComposeSession& session) {
        session.resetCharset = (flags & 2) != 0;
        // Dates in each language, with names in GBK or Big5 or in UTF-8.
        const InterfaceLanguage languages[] = {InterfaceLanguage::English, InterfaceLanguage::SimplifiedChinese,
                                               InterfaceLanguage::TraditionalChinese, InterfaceLanguage::English};
        session.language = languages[(flags >> 4) & 3];
        session.localCodePage = (flags & 64) ? LocalCodePage::Utf8 : LocalCodePage::OfLanguage;
        if (fields[13]) {
            for (const auto& name : splitFields(*fields[13], '\x1f', kMaxAttachments)) {
                if (name) session.attachments.push_back({folder, name->substr(0, kMaxAttachmentName)});
            }
        }
    };
    ComposeSession session(kWindow, SessionKind::Compose);
    configure(session);
    std::srand(flags);

    const std::string templateText = bounded(fields[0], kMaxTemplate);
    const std::string quotedBody = bounded(fields[1], kMaxQuotedBody);
    const std::string rerenderCharset = bounded(fields[15], 40);
    try {
        std::string text = templateText;
        if (flags & 1) {
            renderTemplate(rerenderCharset.c_str(), session, quotedBody, text);
        } else {
            renderTemplate(nullptr, session, quotedBody, text);
            // Rendered once, taking the body's memory (with room or none),
            // the text is the same.
            ComposeSession once(kWindow, SessionKind::Compose);
            configure(once);
            std::string body;
            body.reserve(quotedBody.size() + (flags & 128 ? 4096 : 0));
            body = quotedBody;
            std::string taken = templateText;
            std::srand(flags);
            renderTemplateTakingBody(once, body, taken);
            if (taken != text) std::abort();
        }
        if (flags & 8) {
            std::string again = templateText;
            renderTemplate(rerenderCharset.c_str(), session, quotedBody, again);
        }
    } catch (const std::bad_alloc&) {
        // The renderer lets memory exhaustion reach its caller.
    }

    // Every host block handed out during the rendering was given back.
    if (host.outstandingBlocks() != 0 || host.invalidFrees() != 0) std::abort();
    return 0;
}
