// A simulated host with a real mailbox folder on disk, a compose window and
// captured message boxes, for the template engine and signature store tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"
#include "platform/message_box.h"
#include "session/compose_session.h"
#include "template/render_stage.h"
#include "template/render_template.h"
#include "tools/hostsim/sim_host.h"

struct ShownBox {
    std::string text;
    std::string caption;
    bool operator==(const ShownBox& other) const { return text == other.text && caption == other.caption; }
};

inline std::ostream& operator<<(std::ostream& out, const ShownBox& box) {
    return out << '[' << box.caption << "] " << box.text;
}

// What a test expects to have been shown: exactly one box.
inline std::vector<ShownBox> oneBox(const std::string& text, const std::string& caption) {
    return {ShownBox{text, caption}};
}

class TemplateFixture : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::simHost().reset();
        hostsim::installSimulatedHost();
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = std::filesystem::temp_directory_path() /
                (std::string("torvane-") + test->test_suite_name() + "-" + test->name());
        std::filesystem::remove_all(root_);
        std::filesystem::create_directories(root_ / "data" / "box");
        host().dataFolder = (root_ / "data").string() + platform::kPathSeparator;
        host().currentMailBox = std::string("box") + platform::kPathSeparator;
        host().compositions[kWindow];
        platform::setMessageBoxSink(
            [this](const std::string& text, const std::string& caption) { boxes.push_back({text, caption}); });
        session = std::make_unique<ComposeSession>(kWindow, SessionKind::Compose);
    }

    void TearDown() override {
        if (zonePinned_) {
            if (savedZone_) {
                setenv("TZ", savedZone_->c_str(), 1);
            } else {
                unsetenv("TZ");
            }
        }
        setRenderStageHook(nullptr);
        platform::setMessageBoxSink(nullptr);
        session.reset();
        EXPECT_EQ(host().outstandingBlocks(), 0u) << "host blocks not given back";
        EXPECT_EQ(host().invalidFrees(), 0u);
        std::filesystem::remove_all(root_);
    }

    static hostsim::SimHost& host() { return hostsim::simHost(); }

    std::string mailboxFolder() const { return host().dataFolder + host().currentMailBox; }

    void writeMailboxFile(const std::string& name, const std::string& content) const {
        std::ofstream(mailboxFolder() + name, std::ios::binary) << content;
    }

    void setHeader(const std::string& name, const std::string& value) {
        host().message.headers.emplace_back(name, value);
    }
    void setSubject(const std::string& subject) { host().compositions[kWindow].subject = subject; }

    // Local times are those of `zone` (a TZ value) until the test ends.
    void pinTimeZone(const char* zone) {
        if (!zonePinned_) {
            zonePinned_ = true;
            if (const char* current = std::getenv("TZ")) savedZone_ = current;
        }
        setenv("TZ", zone, 1);
    }

    // A first rendering (no charset name) unless one is given.
    std::string render(const std::string& templateText, const char* charset = nullptr,
                       const std::string& quotedBody = "QUOTED") {
        std::string text = templateText;
        renderTemplate(charset, *session, quotedBody, text);
        return text;
    }

    static inline HostWindow const kWindow = reinterpret_cast<HostWindow>(0x5150);
    std::unique_ptr<ComposeSession> session;
    std::vector<ShownBox> boxes;

private:
    std::filesystem::path root_;
    bool zonePinned_ = false;
    std::optional<std::string> savedZone_;
};
