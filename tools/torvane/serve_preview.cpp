#include "tools/torvane/serve_preview.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <system_error>
#include <utility>

#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/time_zone_rule.h"
#include "session/settings.h"
#include "tools/torvane/cli_errors.h"
#include "tools/torvane/input_files.h"
#include "tools/torvane/json_text.h"
#include "tools/torvane/mime_tree.h"
#include "tools/torvane/preview_policy.h"
#include "tools/torvane/render_reply.h"
#include "tools/torvane/serve_paths.h"
#include "tools/torvane/template_check.h"
#include "tools/torvane/template_source.h"

namespace fs = std::filesystem;

namespace torvane {

// As the editor's pop-up menu lists them.
const char* const kMenuCharsets[10] = {"GB2312",   "GB18030",  "HZ-GB-2312", "BIG5",       "UTF-8",
                                       "UTF-7",    "US-ASCII", "ISO-8859-1", "ISO-8859-2", "ISO-8859-15"};

namespace {

constexpr const char* kLanguages[] = {"English", "SimplifiedChinese", "TraditionalChinese"};

struct Zone {
    const char* rule;
    const char* name;
};
// POSIX rules, computed by the tool itself on every system, so that no time
// zone database is needed (and Windows, which cannot switch a process's
// zone, offers them too).
constexpr Zone kZones[] = {
    {"", "this computer's"},
    {"UTC0", "UTC"},
    {"EST5EDT,M3.2.0,M11.1.0", "New York"},
    {"PST8PDT,M3.2.0,M11.1.0", "Los Angeles"},
    {"GMT0BST,M3.5.0/1,M10.5.0", "London"},
    {"CET-1CEST,M3.5.0,M10.5.0/3", "Berlin"},
    {"CST-8", "Shanghai"},
    {"JST-9", "Tokyo"},
};

// Keep a few renderings: the page may still be loading the pictures of the
// one before the latest.
constexpr unsigned kRenderingsKept = 4;

// Outlines the element the caret goes to (inline styles are what the
// preview policy allows).
constexpr const char* kCaretOutline =
    "<style>#torvane_text_id{outline:2px dashed #d9480f;outline-offset:2px}</style>";

// A file's name, modification time and size, or only its name when it is not there.
std::string stampOf(const std::string& path) {
    std::error_code timeError;
    std::error_code sizeError;
    const auto time = fs::last_write_time(fs::u8path(path), timeError);
    const auto size = fs::file_size(fs::u8path(path), sizeError);
    if (timeError || sizeError) return path + "\n";
    return path + '|' + std::to_string(time.time_since_epoch().count()) + '|' + std::to_string(size) + '\n';
}

std::string fingerprintOf(const std::string& folder, const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += stampOf(joinedPath(folder, name));
    return text;
}

template <typename List>
bool offers(const List& list, const std::string& value) {
    return std::any_of(std::begin(list), std::end(list), [&](const auto& item) { return value == item; });
}

bool offersZone(const std::string& rule) {
    return std::any_of(std::begin(kZones), std::end(kZones), [&](const Zone& zone) { return rule == zone.rule; });
}

// The dates' time zone for one rendering; the tool's own again afterwards.
class ZoneForRendering {
public:
    explicit ZoneForRendering(const std::string& rule) : saved_(platform::timeZoneRule()) {
        if (!rule.empty()) platform::setTimeZoneRule(platform::parseTimeZoneRule(rule));
    }
    ~ZoneForRendering() { platform::setTimeZoneRule(saved_); }
    ZoneForRendering(const ZoneForRendering&) = delete;
    ZoneForRendering& operator=(const ZoneForRendering&) = delete;

private:
    const std::optional<platform::TimeZoneRule> saved_;
};

std::string replacedAll(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string checkJson(const TemplateCheck& check, const TemplateSource& source) {
    std::ostringstream json;
    const auto findings = [&json, &source](const std::vector<TemplateFinding>& list) {
        json << '[';
        for (std::size_t i = 0; i < list.size(); ++i) {
            json << (i ? "," : "") << "{\"line\":" << source.fileLine(list[i].offset, list[i].line) << ",\"text\":" << jsonString(list[i].text)
                 << ",\"note\":" << jsonString(list[i].note) << '}';
        }
        json << ']';
    };
    json << "{\"placeholders\":";
    findings(check.placeholders);
    json << ",\"warnings\":";
    findings(check.warnings);
    json << ",\"hasTextElement\":" << (check.hasTextElement ? "true" : "false") << '}';
    return json.str();
}

std::string errorText(const std::string& messageBoxes, const char* fallback) {
    std::string text = messageBoxes;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    return text.empty() ? fallback : text;
}

}  // namespace

bool isRenderingFolder(const std::string& name) {
    return name.size() > 1 && name[0] == 'r' && name.find_first_not_of("0123456789", 1) == std::string::npos;
}

PreviewState::PreviewState(ServeFolders folders) : folders_(std::move(folders)) { poll(); }

bool PreviewState::poll() {
    templates_ = filesBelow(folders_.templates, ".tml");
    messages_ = filesBelow(folders_.messages, ".eml");
    std::vector<std::string> mailbox;
    for (const std::string& name : filesBelow(folders_.mailbox, "")) {
        if (name.find('/') == std::string::npos) mailbox.push_back(name);
    }
    std::string fingerprint = fingerprintOf(folders_.templates, templates_) + "\n" +
                              fingerprintOf(folders_.messages, messages_) + "\n" +
                              fingerprintOf(folders_.mailbox, mailbox) + "\n";
    if (!folders_.settings.empty()) fingerprint += stampOf(folders_.settings);
    if (fingerprint == fingerprint_) return false;
    fingerprint_ = std::move(fingerprint);
    ++generation_;
    return true;
}

std::string PreviewState::choicesJson() const {
    std::ostringstream json;
    const auto list = [&json](const auto& items) {
        json << '[';
        bool first = true;
        for (const auto& item : items) {
            json << (first ? "" : ",") << jsonString(item);
            first = false;
        }
        json << ']';
    };
    json << "{\"generation\":" << generation_ << ",\"templates\":";
    list(templates_);
    json << ",\"messages\":";
    list(messages_);
    json << ",\"charsets\":";
    list(kMenuCharsets);
    json << ",\"languages\":";
    list(kLanguages);
    json << ",\"zones\":[";
    for (std::size_t i = 0; i < std::size(kZones); ++i) {
        json << (i ? "," : "") << "{\"rule\":" << jsonString(kZones[i].rule)
             << ",\"name\":" << jsonString(kZones[i].name) << '}';
    }
    json << "]}";
    return json.str();
}

std::optional<std::string> PreviewState::renderJson(const PreviewChoice& choice) {
    if (!offers(templates_, choice.templateName) || !offers(messages_, choice.messageName) ||
        (!choice.charset.empty() && !offers(kMenuCharsets, choice.charset)) ||
        (!choice.language.empty() && !offers(kLanguages, choice.language)) || !offersZone(choice.zone)) {
        return std::nullopt;
    }
    const std::string templatePath = joinedPath(folders_.templates, choice.templateName);
    const std::string messagePath = joinedPath(folders_.messages, choice.messageName);

    std::string error;
    std::string check = "null";
    std::string mime = "null";
    std::string frame = "null";
    std::ostringstream messageBoxes;
    // Message boxes of this rendering are shown with it; later ones go to
    // standard error, not to this rendering's stream once it is gone.
    struct SinkForRendering {
        explicit SinkForRendering(std::ostringstream& text) {
            platform::setMessageBoxSink([&text](const std::string& message, const std::string& caption) {
                text << (caption.empty() ? std::string() : caption + ": ") << message << '\n';
            });
        }
        ~SinkForRendering() {
            // Never the system's box: it would stop the server until someone answers it.
            platform::setMessageBoxSink([](const std::string& message, const std::string& caption) {
                std::cerr << "torvane: " << (caption.empty() ? std::string() : caption + ": ") << message << '\n';
            });
        }
    } sink(messageBoxes);
    try {
        const TemplateSource source = readTemplateSource(templatePath, folders_.temp);
        check = checkJson(checkTemplateHtml(source.html), source);

        // Read, not mapped: the server runs on while the file may be edited.
        MessageText message = readMessageFile(messagePath, 0, false);
        std::ostringstream tree;
        writeMimeTree(message, true, tree);
        mime = tree.str();

        SessionFlags flags;
        if (!folders_.settings.empty()) {
            readInputFile(folders_.settings);
            flags = readSessionFlags(fs::absolute(fs::u8path(folders_.settings)).u8string());
        }
        if (!choice.language.empty()) flags.language = languageOf(choice.language);

        const std::string name = "r" + std::to_string(++renderings_);
        const std::string folder = folders_.temp + name;
        if (!platform::createDirectory(folder)) throw UsageError("cannot create '" + folder + "'");
        if (renderings_ > kRenderingsKept) {
            removeOwnFolder(folders_.temp + "r" + std::to_string(renderings_ - kRenderingsKept), nullptr);
        }
        HostFiles files;
        files.rawMessage = std::move(message);
        files.forward = choice.forward;
        files.mailboxFolder = asFolder(folders_.mailbox);
        files.tempFolder = asFolder(folder);

        ComposeResult result;
        {
            const ZoneForRendering zone(choice.zone);
            result = renderWithHost(files, templatePath, flags, choice.charset, messageBoxes);
        }
        switch (result.outcome) {
        case ComposeOutcome::BodyNotHtml:
            throw UsageError("'" + choice.messageName +
                             "' is a plain-text message and ConvertText is off, so the plug-in leaves the reply to "
                             "the mail client (set ConvertText=TRUE in the [Settings] of the settings file)");
        case ComposeOutcome::TemplateMissing:
        case ComposeOutcome::Failed:
            throw UsageError(errorText(messageBoxes.str(), "the template could not be rendered"));
        case ComposeOutcome::Rendered:
            break;
        }
        // The saved pictures are served from the rendering's folder.
        const std::string url = "/files/" + name + "/";
        std::string html = replacedAll(withUtf8Declared(withPreviewPolicy(result.html)), files.tempFolder, url);
        const std::size_t policyEnd = html.find(kPreviewPolicyMeta);
        html.insert(policyEnd == std::string::npos ? 0 : policyEnd + std::string(kPreviewPolicyMeta).size(),
                    kCaretOutline);
        writeOutputFile(files.tempFolder + "page.html", html);
        frame = jsonString(url + "page.html");
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    std::ostringstream json;
    json << "{\"generation\":" << generation_ << ",\"frame\":" << frame
         << ",\"error\":" << (error.empty() ? std::string("null") : jsonString(error))
         << ",\"messages\":" << jsonString(messageBoxes.str()) << ",\"check\":" << check << ",\"mime\":" << mime
         << '}';
    return json.str();
}

}  // namespace torvane
