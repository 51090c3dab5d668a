// The templates users pick from (templates/): each one is clean for torvane
// check and answers every sample message without leaving a placeholder
// behind, with the element where the caret goes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cli_run.h"

namespace {

const char* const kSampleMessages[] = {
    "examples/messages/html-with-image.eml",  // Cc, attachment, inline picture
    "examples/messages/gb2312-report.eml",    // a Chinese charset: the Chinese variants
    "examples/messages/plain-text.eml",       // no Cc, no attachment, converted text
};

// What each placeholder of the catalogue starts with, and the signature token.
const char* const kPlaceholderStarts[] = {
    "%f", "%n", "%a", "%t", "%d", "%i", "%I", "%s", "%S", "%m", "%N", "%A", "%R",
    "%G{", "%LH{", "%LV{", "%h{", "%CETXT{", "%D{", "%RANDOM-SIGN", "%F",
};

// Every .tml below templates/, with whether it is a forward template.
std::vector<std::pair<std::string, bool>> galleryTemplates() {
    std::vector<std::pair<std::string, bool>> found;
    const std::filesystem::path root = std::filesystem::path(TORVANE_SOURCE_DIR) / "templates";
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".tml") continue;
        const std::string relative = std::filesystem::relative(entry.path(), TORVANE_SOURCE_DIR).generic_string();
        found.emplace_back(relative, entry.path().filename() == "torvanefwd.tml");
    }
    return found;
}

}  // namespace

TEST(CliGallery, EveryTemplateAnswersEverySampleMessageCleanly) {
    const auto gallery = galleryTemplates();
    ASSERT_FALSE(gallery.empty());
    for (const auto& [path, forward] : gallery) {
        const CliRun check = runTorvane("check " + path);
        EXPECT_EQ(check.status, 0) << path << "\n" << check.out << check.err;

        for (const char* message : kSampleMessages) {
            const std::string temp = freshWorkFolder("gallery");
            // ConvertText on for the plain-text message; ResetCharset on rewrites the META.
            const CliRun run = runTorvane("render " + std::string(message) + (forward ? " --forward" : "") +
                                              " --template " + path + " --settings examples/testtorvane.ini" +
                                              " --mailbox examples/mailbox --temp '" +
                                              temp + "'",
                                          kRepeatable);
            ASSERT_EQ(run.status, 0) << path << " " << message << "\n" << run.err;
            EXPECT_EQ(run.err, "") << path << " " << message;
            EXPECT_NE(run.out.find("id=\"torvane_text_id\""), std::string::npos) << path << " " << message;
            for (const char* placeholder : kPlaceholderStarts) {
                EXPECT_EQ(run.out.find(placeholder), std::string::npos)
                    << path << " answering " << message << " leaves " << placeholder;
            }
        }
    }
}

// The Greeting template opens the reply with the sender's given name, in
// the language of the message's charset.
TEST(CliGallery, TheGreetingGreetsTheSenderByName) {
    const struct {
        const char* message;
        const char* greeting;
    } cases[] = {
        {"examples/messages/html-with-image.eml", "<div id=\"torvane_text_id\">Hi Alex,</div>"},
        {"examples/messages/gb2312-report.eml",
         "<div id=\"torvane_text_id\">\xE6\x9D\x8E\xE6\x98\x8E&#65292;&#20320;&#22909;</div>"},
    };
    for (const auto& row : cases) {
        const CliRun run = runTorvane("render " + std::string(row.message) + " --template templates/greeting/torvane.tml"
                                      " --temp '" + freshWorkFolder("greeting") + "'",
                                      kRepeatable);
        ASSERT_EQ(run.status, 0) << row.message << "\n" << run.err;
        EXPECT_NE(run.out.find(row.greeting), std::string::npos) << run.out;
    }
}
