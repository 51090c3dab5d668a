#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "cli_run.h"
#include "tests/expected_rendering.h"
#include "tools/torvane/file_urls.h"
#include "tools/torvane/preview_policy.h"

namespace {

const std::string kHtmlMessage = "examples/messages/html-with-image.eml";
const std::string kPlainMessage = "examples/messages/plain-text.eml";
const std::string kChineseMessage = "examples/messages/gb2312-report.eml";
// The pair that uses every placeholder; without --template the tool takes the Classic pair.
const std::string kEveryPlaceholder = " --template tests/data/template/torvane.tml";
const std::string kEveryPlaceholderForward = " --forward --template tests/data/template/torvanefwd.tml";
// The tool takes no mailbox from the tree it was built from.
const std::string kSampleMailbox = " --mailbox examples/mailbox";

void writeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

void expectRenderingMatches(const std::string& name, const std::string& arguments,
                            const std::string& environment = kRepeatable) {
    const std::string temp = freshWorkFolder("render-" + name);
    const std::string output = temp + "/out.html";
    const std::string mailbox = arguments.find("--mailbox") == std::string::npos ? kSampleMailbox : "";
    const CliRun run =
        runTorvane("render " + arguments + mailbox + " --temp '" + temp + "' -o '" + output + "'", environment);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string expected =
        readText(std::string(TORVANE_SOURCE_DIR) + "/" + expected_rendering::kFolder + name + ".html");
    EXPECT_EQ(expected_rendering::comparableRendering(readText(output), temp + "/"), expected)
        << "rendering of " << name;
}

// A rendering the wine host's tests compare too, so in their set-up: the same
// mailbox and time zone, and no seed (the one signature is every draw).
void expectSharedRenderingMatches(const std::string& name, const std::string& arguments) {
    const std::string mailbox = freshWorkFolder("mailbox-" + name);
    for (const char* file : expected_rendering::kSharedMailboxFiles) {
        writeFile(mailbox + "/" + file, readText(std::string(TORVANE_SOURCE_DIR) + "/examples/mailbox/" + file));
    }
    expectRenderingMatches(name, arguments + " --mailbox '" + mailbox + "'", "TZ='" TORVANE_TEST_TIME_ZONE "'");
}

}  // namespace

TEST(CliRender, SampleMessagesRenderAsExpected) {
    expectSharedRenderingMatches("html-with-image-reply", kHtmlMessage + kEveryPlaceholder);
    expectSharedRenderingMatches("html-with-image-forward", kHtmlMessage + kEveryPlaceholderForward);
    expectRenderingMatches("plain-text-reply",
                           kPlainMessage + kEveryPlaceholder + " --settings examples/testtorvane.ini");
    expectRenderingMatches("gb2312-report-reply", kChineseMessage + kEveryPlaceholder);
    expectRenderingMatches("gb2312-report-utf8", kChineseMessage + kEveryPlaceholder + " --charset UTF-8");
    expectRenderingMatches("html-with-image-classic-reply", kHtmlMessage);
    expectRenderingMatches("gb2312-report-classic-forward", kChineseMessage + " --forward");
}

TEST(CliRender, TakesTheLanguageFromTheSettingsFile) {
    const std::string work = freshWorkFolder("render-language");
    writeFile(work + "/zh.ini", "[Settings]\r\nLanguage=SimplifiedChinese\r\n");
    const CliRun run =
        runTorvane("render " + kHtmlMessage + " --settings '" + work + "/zh.ini' --temp '" + work + "'", kRepeatable);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("<b>Sent:</b> 2026年12月1日 星期二 16:14<br>"), std::string::npos) << run.out;
}

TEST(CliRender, SavesAttachmentsAndPicturesWhereTheHtmlPointsAt) {
    const std::string temp = freshWorkFolder("render-files");
    const CliRun run = runTorvane("render " + kHtmlMessage + " --temp '" + temp + "'", kRepeatable);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readText(temp + "/report.pdf").substr(0, 8), "%PDF-1.4");
    const std::size_t image = run.out.find("<img src=\"" + temp + "/");
    ASSERT_NE(image, std::string::npos);
    const std::size_t start = image + 10;
    const std::string path = run.out.substr(start, run.out.find('"', start) - start);
    EXPECT_EQ(readText(path).substr(1, 3), "PNG");
    EXPECT_EQ(run.out.find("cid:"), std::string::npos);
}

TEST(CliRender, APlainTextMessageIsLeftToTheMailClientWhileConvertTextIsOff) {
    const std::string temp = freshWorkFolder("render-plain");
    const CliRun run = runTorvane("render " + kPlainMessage + " --temp '" + temp + "' -o '" + temp + "/out.html'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("ConvertText"), std::string::npos);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_FALSE(pathExists(temp + "/out.html"));
}

TEST(CliRender, BadInputFailsInOneLineWithoutOutputFile) {
    const std::string work = freshWorkFolder("render-bad");
    writeFile(work + "/empty.eml", "");
    writeFile(work + "/binary.eml", std::string("\x7f" "ELF\0\1\2garbage", 13));
    writeFile(work + "/no-headers.eml", "just some text\nwithout any header\n");
    writeFile(work + "/mail.msg", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10));
    const std::string message = readText(std::string(TORVANE_SOURCE_DIR) + "/" + kHtmlMessage);
    writeFile(work + "/copy.eml", message);
    writeFile(work + "/two.mbox", "From a@example.com Tue Dec  1 09:14:02 2026\n" + message +
                                      "\nFrom b@example.com Tue Dec  1 09:15:02 2026\n" + message);
    const struct {
        std::string arguments;
        std::string message;
    } cases[] = {
        {work + "/missing.eml", "torvane: cannot read '" + work + "/missing.eml': No such file or directory\n"},
        {work, "torvane: cannot read '" + work + "': Is a directory\n"},
        {work + "/empty.eml", "torvane: '" + work + "/empty.eml' is empty\n"},
        {work + "/binary.eml", "torvane: '" + work + "/binary.eml' is not a message: it holds binary data\n"},
        {work + "/no-headers.eml",
         "torvane: '" + work + "/no-headers.eml' is not a message: it does not begin with a header field\n"},
        {work + "/mail.msg", "torvane: '" + work + "/mail.msg' is an Outlook message file, not an RFC 5322 message\n"},
        {kHtmlMessage + " --template " + work + "/none.tml",
         "torvane: cannot read '" + work + "/none.tml': No such file or directory\n"},
        {kHtmlMessage + " --bogus", "torvane: unknown option '--bogus'\n"},
        {kHtmlMessage + " -o", "torvane: option -o needs a value\n"},
        {"", "torvane: render takes one MESSAGE file (see 'torvane render --help')\n"},
        {kHtmlMessage + " -o " + work, "torvane: cannot write '" + work + "': it is a folder\n"},
        {work + "/copy.eml -o " + work + "/copy.eml",
         "torvane: -o '" + work + "/copy.eml' names the message '" + work +
             "/copy.eml': render never writes over its inputs, choose another file\n"},
        {kHtmlMessage + " --template " + work + "/copy.eml -o " + work + "/copy.eml",
         "torvane: -o '" + work + "/copy.eml' names the template '" + work +
             "/copy.eml': render never writes over its inputs, choose another file\n"},
        {kHtmlMessage + " --charset nonsense",
         "torvane: unknown character set 'nonsense' for --charset: the editor's menu has Auto, GB2312, GB18030, "
         "HZ-GB-2312, BIG5, UTF-8, UTF-7, US-ASCII, ISO-8859-1, ISO-8859-2, ISO-8859-15\n"},
        {kHtmlMessage + " --temp " + work + "/missing/files",
         "torvane: cannot use temporary folder '" + work + "/missing/files': the folder '" + work +
             "/missing' it would go in does not exist\n"},
        {work + "/two.mbox",
         "torvane: '" + work + "/two.mbox' is a mailbox file of 2 messages: choose one with --index N (1 to 2)\n"},
        {work + "/two.mbox --index 3", "torvane: '" + work + "/two.mbox' holds 2 messages, not 3\n"},
    };
    for (const auto& bad : cases) {
        const CliRun run = runTorvane("render --temp '" + work + "' -o '" + work + "/out.html' " + bad.arguments);
        EXPECT_EQ(run.status, 2) << bad.arguments;
        EXPECT_EQ(run.err, bad.message) << bad.arguments;
        EXPECT_FALSE(pathExists(work + "/out.html")) << bad.arguments;
    }
    EXPECT_EQ(readText(work + "/copy.eml"), message);
}

TEST(CliRender, OutputReplacesTheFileOfAnEarlierRender) {
    const std::string work = freshWorkFolder("render-replace");
    for (const char* text : {"first", "second"}) {
        writeFile(work + "/t.tml", std::string("Content-Type: text/html\r\n\r\n<p>") + text + "</p>\r\n");
        const CliRun run = runTorvane("render " + kHtmlMessage + " --template '" + work + "/t.tml' --temp '" + work +
                                      "/files' -o '" + work + "/out.html'");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(readText(work + "/out.html"), std::string("<p>") + text + "</p>\r\n");
    }
}

TEST(CliRender, ARelativeTempFolderIsWrittenIntoTheHtmlAsAnAbsolutePath) {
    const std::string work = freshWorkFolder("render-relative");
    const std::string relative = std::filesystem::relative(work, TORVANE_SOURCE_DIR).string() + "/files";
    const CliRun run = runTorvane("render " + kHtmlMessage + " --temp " + relative);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("<img src=\"" + work + "/files/tv00001.png\""), std::string::npos) << run.out;
}

TEST(CliRender, FreshRemovesWhatEarlierRendersWroteAndNothingElse) {
    const std::string work = freshWorkFolder("render-fresh");
    const std::string temp = work + "/files";
    const std::string command = "render " + kHtmlMessage + " --temp '" + temp + "' -o '" + temp + "/out.html'";
    const auto entries = [&] {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(temp)) names.insert(entry.path().filename());
        return names;
    };
    ASSERT_EQ(runTorvane(command, kRepeatable).status, 0);
    const std::string first = readText(temp + "/out.html");
    const std::set<std::string> firstFiles = entries();
    // Into a folder that is not empty the pictures take new names.
    CliRun run = runTorvane(command, kRepeatable);
    EXPECT_NE(run.err.find("is not empty"), std::string::npos) << run.err;
    EXPECT_NE(readText(temp + "/out.html"), first);
    run = runTorvane(command + " --fresh", kRepeatable);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readText(temp + "/out.html"), first);
    EXPECT_EQ(entries(), firstFiles);

    writeFile(temp + "/mine.txt", "kept");
    run = runTorvane(command + " --fresh", kRepeatable);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "torvane: --fresh would empty '" + temp +
                           "', but it holds 'mine.txt', which torvane did not write: empty it yourself or choose "
                           "another folder\n");
    EXPECT_EQ(readText(temp + "/mine.txt"), "kept");
    EXPECT_EQ(readText(temp + "/out.html"), first);
}

TEST(CliRender, AMailboxFileOfSeveralMessagesRendersTheOneChosen) {
    const std::string work = freshWorkFolder("render-mbox");
    const std::string root = std::string(TORVANE_SOURCE_DIR) + "/";
    writeFile(work + "/two.mbox", "From a@example.com Tue Dec  1 09:14:02 2026\n" + readText(root + kHtmlMessage) +
                                      "\nFrom b@example.com Tue Dec  1 09:15:02 2026\n" +
                                      readText(root + kChineseMessage));
    for (const std::string& message : {kHtmlMessage, kChineseMessage}) {
        const std::string index = message == kHtmlMessage ? "1" : "2";
        const CliRun chosen = runTorvane("inspect '" + work + "/two.mbox' --index " + index);
        ASSERT_EQ(chosen.status, 0) << chosen.err;
        EXPECT_EQ(chosen.out, runTorvane("inspect " + message).out) << index;
        // The reply answers that message too, not the file's last one.
        const CliRun reply = runTorvane("render '" + work + "/two.mbox' --index " + index + " --temp " + work + "/a" +
                                        index + " --fresh");
        const CliRun alone = runTorvane("render " + message + " --temp " + work + "/b" + index + " --fresh");
        ASSERT_EQ(reply.status, 0) << reply.err;
        std::string html = reply.out;
        for (std::size_t at; (at = html.find(work + "/a" + index)) != std::string::npos;) {
            html.replace(at, work.size() + 2 + index.size(), work + "/b" + index);
        }
        EXPECT_EQ(html, alone.out) << index;
    }
}

TEST(CliRender, PreviewOfChineseMailDeclaresTheEncodingOfItsBytes) {
    // ResetCharset puts the reply's charset, GB2312, into the META; the
    // tool's texts are UTF-8.
    const std::string work = freshWorkFolder("render-preview-charset");
    writeFile(work + "/reset.ini", "[Settings]\r\nResetCharset=TRUE\r\n");
    const CliRun run = runTorvane("render " + kChineseMessage + " --settings '" + work + "/reset.ini' --temp '" +
                                  work + "/files' --preview", kRepeatable);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("\xEF\xBB\xBF<html>", 0), 0u);
    EXPECT_NE(run.out.find("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("<b>Subject:</b> \xE6\x9C\xAC\xE6\x9C\x88\xE6\x8A\xA5\xE5\x91\x8A"), std::string::npos);
}

TEST(CliRender, WithoutTemplateTakesThePairBesideTheTool) {
    // As unpacked from the release archive: the tool beside the templates.
    const std::string unpacked = freshWorkFolder("render-unpacked");
    std::filesystem::copy_file(TORVANE_CLI_PATH, unpacked + "/torvane");
    writeFile(unpacked + "/torvane.tml", "Content-Type: text/html\r\n\r\n<p>beside reply %s</p>\r\n");
    writeFile(unpacked + "/torvanefwd.tml", "Content-Type: text/html\r\n\r\n<p>beside forward %s</p>\r\n");
    for (const bool forward : {false, true}) {
        const CliRun run = runTorvane("render " + kHtmlMessage + (forward ? " --forward" : "") + " --temp '" +
                                          unpacked + "'",
                                      kRepeatable, unpacked + "/torvane");
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.out.find(forward ? "beside forward " : "beside reply "), std::string::npos) << run.out;
    }
}

TEST(CliRender, AloneTheToolNeedsAMailboxOnlyForTheIdentityAndSignatures) {
    // The tool alone in a folder: the built-in Classic pair, no mailbox.
    const std::string alone = freshWorkFolder("render-alone");
    std::filesystem::copy_file(TORVANE_CLI_PATH, alone + "/torvane");
    const std::string tool = alone + "/torvane";
    const std::string temp = " --temp '" + alone + "/files'";
    const CliRun classic = runTorvane("render " + kHtmlMessage + temp, kRepeatable, tool);
    ASSERT_EQ(classic.status, 0) << classic.err;
    EXPECT_NE(classic.out.find("<b>Sent:</b> Tue, 1 Dec 2026 16:14<br>"), std::string::npos) << classic.out;

    const struct {
        const char* body;
        const char* refused;  // the placeholder named, or none when it renders
    } templates[] = {
        {"<p>%f %CETXT{a}{b}%h{Cc}</p>", nullptr},
        {"<p>%N</p>", "%N (your name, YourName in MailBox.ini)"},
        {"<p>%CETXT{%A}{x}</p>", "%A (your address, MailAddress in MailBox.ini)"},
        {"<p>%G{Work}</p>", "%G{Work} (a signature file)"},
        {"<p>%R</p>", "%R (a random signature file)"},
    };
    for (const auto& shape : templates) {
        writeFile(alone + "/t.tml", std::string("Content-Type: text/html\r\n\r\n") + shape.body + "\r\n");
        const CliRun run = runTorvane("render " + kHtmlMessage + " --template '" + alone + "/t.tml'" + temp,
                                      kRepeatable, tool);
        if (!shape.refused) {
            EXPECT_EQ(run.status, 0) << shape.body << run.err;
            continue;
        }
        EXPECT_EQ(run.status, 2) << shape.body;
        EXPECT_EQ(run.err, std::string("torvane: the template uses ") + shape.refused +
                               ", which needs a mailbox: give --mailbox FOLDER, the folder with MailBox.ini and the "
                               "$$$*.txt signature files, or put that folder beside torvane as 'mailbox'\n");
    }

    // The sample mailbox beside it, as the release archive has it.
    std::filesystem::copy(std::string(TORVANE_SOURCE_DIR) + "/examples/mailbox", alone + "/mailbox");
    writeFile(alone + "/t.tml", "Content-Type: text/html\r\n\r\n<p>%N %A</p>\r\n");
    const CliRun run = runTorvane("render " + kHtmlMessage + " --template '" + alone + "/t.tml'" + temp,
                                  kRepeatable, tool);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("<p>Dana Whitfield dana@example.org</p>"), std::string::npos) << run.out;
}

TEST(CliRender, MailSavedFromAMailboxLoadsAsTheMessageItHolds) {
    const std::string work = freshWorkFolder("render-saved");
    const std::string message = readText(std::string(TORVANE_SOURCE_DIR) + "/" + kHtmlMessage);
    const CliRun plain = runTorvane("inspect " + kHtmlMessage);
    ASSERT_EQ(plain.status, 0) << plain.err;
    for (const char* envelope :
         {"From alex@example.com Tue Dec  1 09:14:02 2026\r\n", "From alex@example.com\n", "From \r\n"}) {
        writeFile(work + "/saved.eml", envelope + message);
        const CliRun run = runTorvane("inspect '" + work + "/saved.eml'");
        EXPECT_EQ(run.status, 0) << envelope << run.err;
        EXPECT_EQ(run.out, plain.out) << envelope;
    }
    // Only one envelope line goes; white space before a colon is a header field.
    writeFile(work + "/twice.eml", "From a@example.com\nFrom b@example.com\n" + message);
    EXPECT_EQ(runTorvane("inspect '" + work + "/twice.eml'").status, 2);
    writeFile(work + "/obsolete.eml",
              "From  : John <john@example.com>\r\nSubject\t: hi\r\nContent-Type: text/html\r\n\r\n<p>x</p>\r\n");
    const CliRun run = runTorvane("render '" + work + "/obsolete.eml' --temp '" + work + "'", kRepeatable);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("John &lt;john@example.com&gt;"), std::string::npos);
}

TEST(CliRender, PreviewPutsAPolicyFirstInTheHeadAndRefersToSavedFilesByFileUrls) {
    std::string rendered[2];
    for (const bool preview : {false, true}) {
        const std::string temp = freshWorkFolder(preview ? "render-preview" : "render-no-preview");
        const CliRun run = runTorvane("render " + kHtmlMessage + " --temp '" + temp + "'" +
                                          (preview ? " --preview" : ""), kRepeatable);
        ASSERT_EQ(run.status, 0) << run.err;
        rendered[preview] = expected_rendering::comparableRendering(run.out, temp + "/");
    }
    const std::size_t head = rendered[0].find("<head>") + 6;
    ASSERT_EQ(rendered[0].rfind("<html>\r\n<head>", 0), 0u);
    // The template declares utf-8 already; the byte-order mark says so above any META.
    std::string withUrls =
        "\xEF\xBB\xBF" + rendered[0].substr(0, head) + torvane::kPreviewPolicyMeta + rendered[0].substr(head);
    const std::size_t picture = withUrls.find("src=\"{TEMP}");
    ASSERT_NE(picture, std::string::npos);
    EXPECT_EQ(rendered[1], withUrls.insert(picture + 5, "file://"));
    // Any browser loads these, under any charset the page declares.
    const struct {
        std::string html;
        std::string folder;
        std::string expected;
    } paths[] = {
        {"<img src=\"C:\\Users\\\xC5\x81ukasz\\Temp\\t\\a b.png\">", "C:\\Users\\\xC5\x81ukasz\\Temp\\t\\",
         "<img src=\"file:///C:/Users/%C5%81ukasz/Temp/t/a%20b.png\">"},
        {"<a href='/tmp/\xE9\x82\xAE/x.pdf'>/tmp/\xE9\x82\xAE/x.pdf</a>", "/tmp/\xE9\x82\xAE/",
         "<a href='file:///tmp/%E9%82%AE/x.pdf'>/tmp/\xE9\x82\xAE/x.pdf</a>"},
        {"<img src=\"/tmp/other/x.png\">", "/tmp/t/", "<img src=\"/tmp/other/x.png\">"},
        {"<img src=\"files\\x.png\">", "files\\", "<img src=\"files\\x.png\">"},
    };
    for (const auto& path : paths) EXPECT_EQ(torvane::withFileUrls(path.html, path.folder), path.expected) << path.html;

    const std::string meta = torvane::kPreviewPolicyMeta;
    const struct {
        std::string html;
        std::string expected;
    } documents[] = {
        {"<!DOCTYPE html>\n<html lang=\"de\">\n<HEAD>\n<title>",
         "<!DOCTYPE html>\n<html lang=\"de\">\n<HEAD>" + meta + "\n<title>"},
        {"<html><body><head>", "<html>" + meta + "<body><head>"},
        {"<html>\n<header>", "<html>" + meta + "\n<header>"},
        {"\xEF\xBB\xBF<p>x</p><html><head>", "\xEF\xBB\xBF" + meta + "<p>x</p><html><head>"},
        {"", meta},
    };
    for (const auto& document : documents) {
        EXPECT_EQ(torvane::withPreviewPolicy(document.html), document.expected) << document.html;
    }
}

TEST(CliInspect, ShowsTheTreeAsTheParserSeesIt) {
    const CliRun run = runTorvane("inspect " + kHtmlMessage);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, readText(std::string(TORVANE_SOURCE_DIR) + "/tests/data/cli/html-with-image.tree.txt"));
}

TEST(CliInspect, JsonFormIsStable) {
    const CliRun run = runTorvane("inspect --json " + kChineseMessage);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, readText(std::string(TORVANE_SOURCE_DIR) + "/tests/data/cli/gb2312-report.tree.json"));
}

TEST(CliInspect, AMessageWithoutMimeStructureIsOnePlainPart) {
    const std::string work = freshWorkFolder("inspect-plain");
    writeFile(work + "/bare.eml", "Subject: hi\n\nno structure here\n");
    const CliRun run = runTorvane("inspect '" + work + "/bare.eml'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "#0 (no type) lines: 2 header, 1 body, 0 epilogue\nhtml part: none\n");
}

TEST(CliCheck, TheEveryPlaceholderPairIsClean) {
    for (const char* name : {"torvane.tml", "torvanefwd.tml"}) {
        const CliRun run = runTorvane(std::string("check tests/data/template/") + name);
        EXPECT_EQ(run.status, 0) << run.out << run.err;
        EXPECT_NE(run.out.find("warnings (0)"), std::string::npos);
    }
}

TEST(CliCheck, ReportsWarningsAndUnusableFiles) {
    const std::string work = freshWorkFolder("check");
    writeFile(work + "/warn.tml", "Content-Type: text/html\r\n\r\n<p>%x %%f</p>\r\n");
    CliRun run = runTorvane("check '" + work + "/warn.tml'");
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("line 3: %x - unknown placeholder"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("no element with id \"torvane_text_id\""), std::string::npos);

    writeFile(work + "/plain.tml", "<html><body>%f</body></html>\r\n");
    run = runTorvane("check '" + work + "/plain.tml'");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "torvane: '" + work + "/plain.tml' is not a message: it does not begin with a header field\n");

}

TEST(CliCheck, CountsLinesInTheFileAsAnEditorShowsIt) {
    // A folded header, a preamble, a text/plain part, and soft line breaks
    // of quoted-printable before the placeholders.
    const std::string work = freshWorkFolder("check-lines");
    writeFile(work + "/qp.tml",
              "MIME-Version: 1.0\r\nContent-Type: multipart/alternative;\r\n  boundary=\"b1\"\r\n\r\npreamble\r\n"
              "--b1\r\nContent-Type: text/plain\r\n\r\n%x plain\r\n--b1\r\nContent-Type: text/html\r\n"
              "Content-Transfer-Encoding: quoted-printable\r\n\r\n<p id=3D\"torvane_text_id\">a long line, soft =\r\n"
              "broken: %s</p>\r\n<p>%q</p>\r\n--b1--\r\n");
    const CliRun run = runTorvane("check '" + work + "/qp.tml'");
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.out, work + "/qp.tml: text/html part found\nplaceholders (1):\n  line 15: %s\nwarnings (1):\n"
                       "  line 16: %q - unknown placeholder '%q': it stays as written\n");
}

TEST(CliCheck, RenderAndCheckJudgeTemplatesAlike) {
    const std::string work = freshWorkFolder("check-alike");
    const std::string utf16 = std::string("C\0o\0n\0t\0e\0n\0t\0-\0", 16);
    const struct {
        std::string name;
        std::string content;
        std::string problem;
    } unusable[] = {
        {"utf16.tml", "\xFF\xFE" + utf16,
         "is UTF-16 text (Notepad's \"Unicode\"), which the plug-in cannot read: save it as UTF-8"},
        {"utf16-unmarked.tml", utf16,
         "is UTF-16 text (Notepad's \"Unicode\"), which the plug-in cannot read: save it as UTF-8"},
        {"plain.tml", "Content-Type: text/plain\r\n\r\n%f\r\n",
         "has no text/html part: the plug-in would render an empty template"},
        {"garbage.tml", std::string("\x7f" "ELF\1\0\2garbage", 13), "is not a message: it holds binary data"},
        {"marked.tml", "\xEF\xBB\xBF" "Content-Type: text/html\r\n\r\n<p>%f</p>\r\n",
         "begins with a UTF-8 byte-order mark, which the plug-in reads as part of its first header field, so it "
         "finds no text/html part: save the file as UTF-8 without the mark"},
    };
    for (const auto& bad : unusable) {
        const std::string path = work + "/" + bad.name;
        writeFile(path, bad.content);
        const std::string expected = "torvane: '" + path + "' " + bad.problem + "\n";
        const CliRun check = runTorvane("check '" + path + "'");
        EXPECT_EQ(check.status, 2) << bad.name;
        EXPECT_EQ(check.err, expected);
        const CliRun render = runTorvane("render " + kHtmlMessage + " --template '" + path + "' --temp '" + work +
                                         "/files' -o '" + work + "/out.html'");
        EXPECT_EQ(render.status, 2) << bad.name;
        EXPECT_EQ(render.err, expected);
        EXPECT_FALSE(pathExists(work + "/out.html")) << bad.name;
    }
    // A mark before a field the plug-in does not need is harmless: both say so.
    const std::string marked = work + "/marked-harmless.tml";
    writeFile(marked, "\xEF\xBB\xBFMIME-Version: 1.0\r\nContent-Type: text/html\r\n\r\n<p id=torvane_text_id>%f</p>\r\n");
    const std::string note = "'" + marked + "' begins with a UTF-8 byte-order mark, which the plug-in reads as part of "
                             "its first header field (harmless here; save the file without it)\n";
    const CliRun check = runTorvane("check '" + marked + "'");
    EXPECT_EQ(check.status, 1);
    EXPECT_NE(check.out.find("warnings (1):\n  line 1: " + note), std::string::npos) << check.out;
    const CliRun render = runTorvane("render " + kHtmlMessage + " --template '" + marked + "' --temp '" + work + "/files'");
    EXPECT_EQ(render.status, 0);
    EXPECT_EQ(render.err, "torvane: " + note);
    EXPECT_NE(render.out.find("Alex Moreno"), std::string::npos);
}

TEST(CliGeneral, HelpAndVersion) {
    EXPECT_EQ(runTorvane("--version").out, "torvane 0.3.8\n");
    for (const char* command : {"render", "inspect", "check"}) {
        const CliRun run = runTorvane(std::string(command) + " --help");
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.out.rfind(std::string("usage: torvane ") + command, 0), 0u) << run.out;
    }
    const CliRun unknown = runTorvane("frobnicate");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "torvane: unknown command 'frobnicate' (see 'torvane --help')\n");
}

TEST(CliRender, TheToolsOwnTemporaryFolderStaysOnlyForAPageThatRefersToIt) {
    const std::string system = freshWorkFolder("render-own-temp");
    const std::string environment = kRepeatable + " TMPDIR='" + system + "'";
    const auto folders = [&] {
        return std::distance(std::filesystem::directory_iterator(system), std::filesystem::directory_iterator());
    };
    ASSERT_EQ(runTorvane("render " + kHtmlMessage, environment).status, 0);
    EXPECT_EQ(folders(), 0);
    ASSERT_EQ(runTorvane("render " + kHtmlMessage + " -o '" + system + "/../own-temp.html'", environment).status, 0);
    EXPECT_EQ(folders(), 1);
    ASSERT_EQ(runTorvane("render " + kHtmlMessage + " --preview", environment).status, 0);
    EXPECT_EQ(folders(), 2);
}
