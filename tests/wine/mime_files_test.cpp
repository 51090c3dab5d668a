// The MIME part bodies and inline images on Windows: the scratch files,
// attachments, "dup" folders and decoded pictures go through the Win32 file
// calls, in a real temporary folder with backslash paths.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "mime/inline_images.h"
#include "mime/part_bodies.h"
#include "mime/safe_file_name.h"
#include "platform/host_api.h"
#include "tests/wine/scratch_folder.h"
#include "tools/hostsim/host_functions.h"
#include "tools/hostsim/sim_host.h"

namespace {

std::string readBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string content(GetFileSize(file, nullptr), '\0');
    DWORD read = 0;
    if (!content.empty()) ReadFile(file, &content[0], static_cast<DWORD>(content.size()), &read, nullptr);
    CloseHandle(file);
    content.resize(read);
    return content;
}

bool isFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Every file below `folder`, relative to it, with backslashes.
void listFiles(const std::string& folder, const std::string& prefix, std::vector<std::string>& files) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            listFiles(folder + name + "\\", prefix + name + "\\", files);
        } else {
            files.push_back(prefix + name);
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void parseText(MimePart& root, const std::string& text) {
    const char* cursor = text.c_str();
    root.parse(cursor, nullptr);
}

int BKA_CALL failingConverter(const char*, const char*, int) { return 0; }

class MimeFilesOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::simHost().reset();
        hostsim::installSimulatedHost();
        scratch_ = std::make_unique<wintest::ScratchFolder>();
        tempFolder = scratch_->subfolder("temp");
        hostsim::simHost().tempFolder = tempFolder;
    }
    void TearDown() override {
        scratch_.reset();
        hostsim::simHost().reset();
    }

    std::vector<std::string> filesWritten() const {
        std::vector<std::string> files;
        listFiles(scratch_->path(), "", files);
        return files;
    }

    std::string tempFolder;  // ends in a backslash

private:
    std::unique_ptr<wintest::ScratchFolder> scratch_;
};

TEST_F(MimeFilesOnWindows, HtmlIsDecodedThroughScratchFilesInTheTemporaryFolder) {
    MimePart root;
    EXPECT_EQ(std::string(root.scratchPath(MimePart::kQuotedPrintableCode)), tempFolder + "temporary_qp.code");
    parseText(root,
              "Content-Type: text/html; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
              "<p>caf=C3=A9 =\r\nau lait</p>\r\n");
    std::string html;
    ASSERT_TRUE(extractHtmlPart(root, html));
    EXPECT_EQ(html, "<p>caf\xC3\xA9 au lait</p>\r\n");
    EXPECT_EQ(readBytes(tempFolder + "temporary_qp.code"), "<p>caf=C3=A9 =\r\nau lait</p>\r\n");
    EXPECT_EQ(readBytes(tempFolder + "temporary_qp_decode.htm"), html);

    MimePart base64;
    parseText(base64, "Content-Type: text/html\r\nContent-Transfer-Encoding: base64\r\n\r\nPGk+aGk8L2k+\r\n");
    ASSERT_TRUE(extractHtmlPart(base64, html));
    EXPECT_EQ(html, "<i>hi</i>");
    EXPECT_EQ(readBytes(tempFolder + "temporary_b64_decode.htm"), "<i>hi</i>");

    // A converter that fails: the earlier result is not handed back.
    hostApi().BKA_QPConvert = &failingConverter;
    MimePart failing;
    parseText(failing, "Content-Type: text/html\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\nnew\r\n");
    html = "untouched";
    ASSERT_TRUE(extractHtmlPart(failing, html));
    EXPECT_EQ(html, "");
}

TEST_F(MimeFilesOnWindows, RepeatedAttachmentNamesGoIntoFreshDupFolders) {
    const std::string part =
        "Content-Disposition: attachment; filename=\"minutes.txt\"\r\nContent-Transfer-Encoding: base64\r\n\r\n";
    MimePart root;
    parseText(root, "Content-Type: multipart/mixed; boundary=m\r\n\r\n--m\r\n" + part + "Zmlyc3Q=\r\n--m\r\n" +
                        part + "c2Vjb25k\r\n--m--\r\n");
    AttachmentList list;
    visit2(root, saveAttachment, list, true);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].folder, tempFolder);
    EXPECT_EQ(readBytes(tempFolder + "minutes.txt"), "first");
    const std::string& dup = list[1].folder;
    ASSERT_GT(dup.size(), tempFolder.size());
    EXPECT_EQ(dup.compare(0, tempFolder.size(), tempFolder), 0);
    EXPECT_EQ(dup.back(), '\\');
    EXPECT_TRUE(isFolder(dup));
    EXPECT_EQ(dup.find('\\', tempFolder.size()), dup.size() - 1);
    EXPECT_EQ(readBytes(dup + "minutes.txt"), "second");
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_GetTempFileName"), 1);
}

TEST_F(MimeFilesOnWindows, HostileAttachmentNamesCannotLeaveTheFolder) {
    struct Case {
        const char* name;
        const char* saved;
    };
    const Case cases[] = {
        {"..\\..\\escape.txt", "escape.txt"},
        {"..\\..\\..\\..\\..\\..\\Windows\\win.ini", "win.ini"},
        {"C:\\Windows\\evil.dll", "evil.dll"},
        {"C:relative.txt", "relative.txt"},
        {"stream.txt:hidden", "stream.txt_hidden"},
        {"CON", "_CON"},
        {"nul.txt", "_nul.txt"},
        {"report.pdf. . ", "report.pdf"},
        {"a?b*c|d\"e.txt", "a_b_c_d"},  // the quote ends the quoted value
    };
    for (const Case& c : cases) {
        MimePart part;
        parseText(part, std::string("Content-Disposition: attachment; filename=\"") + c.name + "\"\r\n\r\nbody\r\n");
        AttachmentList list;
        saveAttachment(part, list, true);
        ASSERT_EQ(list.size(), 1u) << c.name;
        EXPECT_EQ(list[0].folder, tempFolder) << c.name;
        EXPECT_EQ(list[0].fileName, c.saved) << c.name;
        EXPECT_EQ(readBytes(tempFolder + c.saved), "body\r\n") << c.name;
    }
    std::vector<std::string> expected;
    for (const Case& c : cases) expected.push_back(std::string("temp\\") + c.saved);
    std::vector<std::string> written = filesWritten();
    std::sort(written.begin(), written.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(written, expected);
}

// `text` as a file name in the ANSI code page: what Windows makes of it,
// a missing character as the default one rather than a look-alike.
std::string ansiFileName(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.c_str(), -1, &result[0], size, nullptr, nullptr);
    return safeFileName(result.c_str());
}

TEST_F(MimeFilesOnWindows, ExtendedNamesEndUpInTheAnsiCodePageAsEncodedWordsDo) {
    hostsim::simHost().localCodePage = "ACP";
    const std::string part = "\r\nContent-Transfer-Encoding: base64\r\n\r\nJVBERi0xLjQK\r\n";
    MimePart root;
    parseText(root,
              "Content-Type: multipart/mixed; boundary=m\r\n\r\n"
              "--m\r\nContent-Disposition: attachment; filename*=iso-8859-1'de'Bericht%20f%FCr%20M%E4rz.pdf" + part +
              "--m\r\nContent-Disposition: attachment;\r\n filename*0*=UTF-8''Bericht%20f%C3%BCr;\r\n"
              " filename*1*=%20M%C3%A4rz.pdf" + part +
              "--m\r\nContent-Disposition: attachment; filename=\"=?iso-8859-1?Q?Bericht_f=FCr_M=E4rz.pdf?=\"" + part +
              "--m\r\nContent-Disposition: attachment;\r\n filename*0*=UTF-8''%E9%95%BF%E6%96%87;\r\n"
              " filename*1*=%E4%BB%B6%E5%90%8D.zip" + part +
              "--m\r\nContent-Disposition: attachment; filename=\"=?UTF-8?B?6ZW/5paH5Lu25ZCNLnppcA==?=\"" + part +
              "--m\r\nContent-Disposition: attachment; filename*=UTF-8''a%EF%BC%8Fb.txt" + part +
              "--m--\r\n");
    AttachmentList list;
    visit2(root, saveAttachment, list, true);
    ASSERT_EQ(list.size(), 6u);
    const std::string expected[] = {ansiFileName(L"Bericht f\u00FCr M\u00E4rz.pdf"),
                                    ansiFileName(L"\u957F\u6587\u4EF6\u540D.zip"), ansiFileName(L"a\uFF0Fb.txt")};
    const std::size_t nameOf[] = {0, 0, 0, 1, 1, 2};
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].fileName, expected[nameOf[i]]) << i;
        EXPECT_EQ(readBytes(list[i].folder + expected[nameOf[i]]), "%PDF-1.4\n") << i;
    }
    if (GetACP() == 1252) {
        EXPECT_EQ(expected[0], "Bericht f\xFCr M\xE4rz.pdf");
        EXPECT_EQ(expected[2], "a_b.txt");
    }
}

const char* BKA_CALL unusableTempName(const char*) {
    static std::string name;
    hostsim::simHost().calls.push_back("BKA_GetTempFileName");
    name = hostsim::simHost().tempFolder + "missing\\dup" + std::to_string(hostsim::simHost().calls.size());
    return name.c_str();
}

TEST_F(MimeFilesOnWindows, ACollisionFolderThatCannotBeCreatedIsGivenUpAfterAFewTries) {
    wintest::writeTextFile(tempFolder + "taken.txt", "earlier");
    hostApi().BKA_GetTempFileName = &unusableTempName;
    MimePart part;
    parseText(part, "Content-Disposition: attachment; filename=taken.txt\r\n\r\nnew\r\n");
    AttachmentList list;
    saveAttachment(part, list, true);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_GetTempFileName"), 8);
    EXPECT_EQ(readBytes(tempFolder + "taken.txt"), "earlier");
    EXPECT_EQ(filesWritten(), std::vector<std::string>{"temp\\taken.txt"});
}

TEST_F(MimeFilesOnWindows, InlineImagesAreDecodedAndReferencedByPath) {
    MimePart root;
    parseText(root,
              "Content-Type: multipart/related; boundary=r\r\n\r\n"
              "--r\r\nContent-Type: text/html\r\n\r\n<img src=\"cid:logo@x\"><img src=\"CID:plain@x\">\r\n"
              "--r\r\nContent-Type: image/gif; name=\"logo.gif\"\r\nContent-ID: <logo@x>\r\n"
              "Content-Transfer-Encoding: base64\r\n\r\nR0lGODlh\r\n"
              "--r\r\nContent-Type: image/x-portable-bitmap\r\nContent-ID: <plain@x>\r\n\r\nP1 1 1 0\r\n"
              "--r--\r\n");
    ContentIdList list;
    visit(root, saveInlineImage, list);
    ASSERT_EQ(list.size(), 2u);
    const std::string& gif = list[0].second;
    EXPECT_EQ(gif.compare(0, tempFolder.size(), tempFolder), 0);
    EXPECT_EQ(gif.find('\\', tempFolder.size()), std::string::npos);
    EXPECT_EQ(gif.substr(gif.size() - 4), ".gif");
    EXPECT_EQ(readBytes(gif), "GIF89a");
    EXPECT_EQ(readBytes(gif.substr(0, gif.size() - 4) + ".timg"), "R0lGODlh\r\n");
    EXPECT_EQ(readBytes(list[1].second), "P1 1 1 0\r\n");

    std::string html;
    ASSERT_TRUE(extractHtmlPart(root, html));
    rewriteContentIds(html, list);
    EXPECT_EQ(html, "<img src=\"" + gif + "\"><img src=\"" + list[1].second + "\">\r\n");
}

}  // namespace
