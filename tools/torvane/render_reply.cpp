#include "tools/torvane/render_reply.h"

#include <cstdlib>
#include <ctime>
#include <ostream>

#include "platform/message_box.h"

namespace torvane {

ComposeResult renderWithHost(HostFiles& files, const std::string& templatePath, const SessionFlags& flags,
                             const std::optional<std::string>& charset, std::ostream& err) {
    HostWindow window = playHost(files);
    platform::setMessageBoxSink([&err](const std::string& text, const std::string& caption) {
        err << "torvane: " << (caption.empty() ? std::string() : caption + ": ") << text << '\n';
    });
    // As the plug-in does for every new session.
    const char* seed = std::getenv("TORVANE_RANDOM_SEED");
    std::srand(seed && *seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10))
                             : static_cast<unsigned>(std::time(nullptr)));
    ComposeSession session(window, SessionKind::Compose, flags);
    session.localCodePage = LocalCodePage::Utf8;
    session.keepsRenderedText = false;  // the tool never draws another signature
    session.keepsQuotedBody = charset.has_value();  // rendered again under the charset

    ComposeResult result = composeReply(session, templatePath, nullptr);
    if (result.outcome == ComposeOutcome::Rendered && charset) result.html = rerenderedText(session, *charset);
    return result;
}

}  // namespace torvane
