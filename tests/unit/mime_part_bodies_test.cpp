#include "mime/part_bodies.h"

#include <filesystem>

#include "mime_test_support.h"
#include "platform/charset_convert.h"
#include "platform/host_api.h"
#include "mime/safe_file_name.h"
#include "tools/hostsim/host_functions.h"

namespace {

using mimetest::linesOf;
using mimetest::parseText;
using mimetest::readWhole;

class PartBodies : public mimetest::HostFixture {
protected:
    std::string scratchFile(const char* name) const { return readWhole(tempFolder + name); }

    // The attachments of a message from tests/data/mime, saved.
    AttachmentList savedFrom(const std::string& dataFile) {
        MimePart root;
        parseText(root, mimetest::dataFile(dataFile));
        AttachmentList list;
        visit2(root, saveAttachment, list, true);
        return list;
    }
};

TEST_F(PartBodies, QuotedPrintableHtmlIsDecodedThroughItsScratchFiles) {
    MimePart root;
    parseText(root,
              "Content-Type: multipart/alternative; boundary=b\r\n\r\n"
              "--b\r\nContent-Type: text/plain\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\nplain=3D\r\n"
              "--b\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: Quoted-Printable\r\n\r\n"
              "<p class=3D\"x\">caf=C3=A9 soft=\r\nbreak</p>\r\n"
              "--b--\r\n");
    std::string html = "previous";
    ASSERT_TRUE(extractHtmlPart(root, html));
    EXPECT_EQ(html, "<p class=\"x\">caf\xC3\xA9 softbreak</p>\r\n");
    EXPECT_EQ(scratchFile("temporary_qp.code"), "<p class=3D\"x\">caf=C3=A9 soft=\r\nbreak</p>\r\n");
    EXPECT_EQ(scratchFile("temporary_qp_decode.htm"), html);
    EXPECT_FALSE(platform::fileExists(tempFolder + "temporary_b64.code"));
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_QPConvert"), 1);
    EXPECT_TRUE(root.findPart("text", "html")->body.empty());
    EXPECT_STREQ(root.transferEncodingBuffer(), "Quoted-Printable\r\n");

    // The part's lines are gone: a second extraction finds nothing to decode.
    html = "previous";
    EXPECT_TRUE(extractHtmlPart(root, html));
    EXPECT_EQ(html, "");
}

TEST_F(PartBodies, Base64AndUnencodedHtml) {
    MimePart base64;
    parseText(base64, "Content-Type: text/html\nContent-Transfer-Encoding: base64\n\nPGI+Ym9s\nZDwvYj4=\n");
    std::string html;
    ASSERT_TRUE(extractHtmlPart(base64, html));
    EXPECT_EQ(html, "<b>bold</b>");
    EXPECT_EQ(scratchFile("temporary_b64.code"), "PGI+Ym9s\r\nZDwvYj4=\r\n");
    EXPECT_EQ(scratchFile("temporary_b64_decode.htm"), "<b>bold</b>");

    for (const char* encoding : {"", "Content-Transfer-Encoding: 8bit\n", "Content-Transfer-Encoding: x-uuencode\n"}) {
        MimePart plain;
        parseText(plain, std::string("Content-Type: text/html\n") + encoding + "\n<p>one</p>\n\n<p>two</p>");
        ASSERT_TRUE(extractHtmlPart(plain, html));
        EXPECT_EQ(html, "<p>one</p>\r\n\r\n<p>two</p>\r\n") << encoding;
    }
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_QPConvert"), 0);
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_B64Convert"), 1);
}

TEST_F(PartBodies, NoHtmlPartLeavesTheOutputAlone) {
    MimePart root;
    parseText(root, "Content-Type: text/plain\n\nhello\n");
    std::string html = "kept";
    EXPECT_FALSE(extractHtmlPart(root, html));
    EXPECT_EQ(html, "kept");
    EXPECT_EQ(linesOf(root.body).size(), 1u);
}

TEST_F(PartBodies, AFailedDecodingNeverReturnsAnEarlierExtractionsHtml) {
    const std::string message =
        "Content-Type: text/html\nContent-Transfer-Encoding: quoted-printable\n\n<p>second</p>\n";
    {
        MimePart first;
        parseText(first, "Content-Type: text/html\nContent-Transfer-Encoding: quoted-printable\n\n<p>first</p>\n");
        std::string html;
        ASSERT_TRUE(extractHtmlPart(first, html));
        ASSERT_EQ(html, "<p>first</p>\r\n");
    }

    // A converter that fails without touching its output.
    hostApi().BKA_QPConvert = [](const char*, const char*, int) { return 0; };
    {
        MimePart root;
        parseText(root, message);
        std::string html = "untouched";
        EXPECT_TRUE(extractHtmlPart(root, html));
        EXPECT_EQ(html, "");
    }

    // A converter that removes its output: the decoded file is missing.
    hostApi().BKA_QPConvert = [](const char* output, const char*, int) {
        std::remove(output);
        return 1;
    };
    {
        MimePart root;
        parseText(root, message);
        std::string html = "untouched";
        EXPECT_TRUE(extractHtmlPart(root, html));
        EXPECT_EQ(html, "");
    }

    // The code file cannot be written (a directory stands in its place): the
    // converter would only read the previous extraction's code.
    hostsim::installSimulatedHost();
    std::filesystem::remove(tempFolder + "temporary_qp.code");
    std::filesystem::create_directory(tempFolder + "temporary_qp.code");
    {
        MimePart root;
        parseText(root, message);
        std::string html = "untouched";
        EXPECT_TRUE(extractHtmlPart(root, html));
        EXPECT_EQ(html, "");
    }
}

TEST_F(PartBodies, AttachmentsAreDecodedIntoTheTemporaryFolderAndListed) {
    MimePart root;
    parseText(root,
              "Content-Type: multipart/mixed; boundary=m\n\n"
              "--m\nContent-Type: text/plain\n\nbody text\n"
              "--m\nContent-Disposition: attachment; filename=\"notes.txt\"\nContent-Transfer-Encoding: base64\n\n"
              "aGVsbG8g\nd29ybGQ=\n"
              "--m\nContent-Disposition: ATTACHMENT; filename=plain.txt\n\nas\nwritten\n"
              "--m\nContent-Disposition: attachment; filename=q.txt\nContent-Transfer-Encoding: quoted-printable\n\n"
              "a=3Db\n"
              "--m\nContent-Disposition: inline; filename=inline.png\n\nx\n"
              "--m\nContent-Disposition: attachment; size=3; filename=hidden.txt\n\nx\n"
              "--m\nContent-Disposition: attachment\n\nno name\n"
              "--m--\n");
    AttachmentList list;
    visit2(root, saveAttachment, list, true);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].folder, tempFolder);
    EXPECT_EQ(list[0].fileName, "notes.txt");
    EXPECT_EQ(list[1].fileName, "plain.txt");
    EXPECT_EQ(list[2].fileName, "q.txt");
    EXPECT_EQ(readWhole(tempFolder + "notes.txt"), "hello world");
    EXPECT_EQ(readWhole(tempFolder + "plain.txt"), "as\r\nwritten\r\n");
    EXPECT_EQ(readWhole(tempFolder + "q.txt"), "a=b\r\n");
    EXPECT_EQ(filesWritten(), (std::vector<std::string>{"temp/notes.txt", "temp/plain.txt", "temp/q.txt"}));

    // Without saving the attachments are only listed.
    AttachmentList listed;
    std::filesystem::remove_all(tempFolder);
    std::filesystem::create_directory(tempFolder);
    visit2(root, saveAttachment, listed, false);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_EQ(listed[2].folder, tempFolder);
    EXPECT_TRUE(filesWritten().empty());
}

TEST_F(PartBodies, ARepeatedNameGoesIntoAFreshDupFolder) {
    const std::string part = "Content-Disposition: attachment; filename=same.txt\n\n";
    MimePart root;
    parseText(root, "Content-Type: multipart/mixed; boundary=m\n\n--m\n" + part + "first\n--m\n" + part +
                        "second\n--m\n" + part + "third\n--m--\n");
    AttachmentList list;
    visit2(root, saveAttachment, list, true);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].folder, tempFolder);
    EXPECT_NE(list[1].folder, tempFolder);
    EXPECT_NE(list[2].folder, list[1].folder);
    for (const AttachmentEntry& entry : list) {
        EXPECT_EQ(entry.fileName, "same.txt");
        EXPECT_EQ(entry.folder.back(), platform::kPathSeparator);
        EXPECT_EQ(entry.folder.compare(0, tempFolder.size(), tempFolder), 0);
    }
    EXPECT_EQ(list[1].folder.substr(list[1].folder.size() - 5), ".dup/");
    EXPECT_EQ(readWhole(list[0].folder + "same.txt"), "first\r\n");
    EXPECT_EQ(readWhole(list[1].folder + "same.txt"), "second\r\n");
    EXPECT_EQ(readWhole(list[2].folder + "same.txt"), "third\r\n");
}

TEST_F(PartBodies, AFolderOfTheSameNameCountsAsTaken) {
    std::filesystem::create_directory(tempFolder + "report.pdf");
    MimePart part;
    parseText(part, "Content-Disposition: attachment; filename=report.pdf\n\ncontent\n");
    AttachmentList list;
    saveAttachment(part, list, true);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_NE(list[0].folder, tempFolder);
    EXPECT_EQ(readWhole(list[0].folder + "report.pdf"), "content\r\n");
}

TEST_F(PartBodies, EncodedWordNamesAreListedAndSavedDecoded) {
    const AttachmentList list = savedFrom("encoded_filename.eml");
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].fileName, "\xE6\x8A\xA5\xE5\x91\x8A.pdf");  // 报告.pdf
    EXPECT_EQ(list[1].fileName, "\xE6\x8A\xA5\xE5\x91\x8A.txt");  // from GB2312
    EXPECT_EQ(readWhole(tempFolder + list[0].fileName), mimetest::dataFile("report.pdf"));
    EXPECT_EQ(readWhole(tempFolder + list[1].fileName), "Caf\xC3\xA9 figures attached.\r\n\r\n");
}

TEST_F(PartBodies, ExtendedNamesAreListedAndSavedInTheLocalCodePage) {
    const AttachmentList list = savedFrom("extended_names.eml");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[0].fileName, "\xE6\x8A\xA5\xE5\x91\x8A.pdf");  // 报告.pdf
    EXPECT_EQ(list[1].fileName, "\xE9\x95\xBF\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x8D.zip");  // 长文件名.zip
    EXPECT_EQ(list[2].fileName, "Bericht f\xC3\xBCr M\xC3\xA4rz.pdf");
    // Outlook's encoded word for the same name: the same name, so a dup folder.
    EXPECT_EQ(list[3].fileName, list[2].fileName);
    EXPECT_NE(list[3].folder, list[2].folder);
    EXPECT_EQ(readWhole(tempFolder + list[0].fileName), "%PDF-1.4\n");
    EXPECT_EQ(readWhole(tempFolder + list[1].fileName).substr(0, 4), "PK\x05\x06");

    struct Case {
        const char* parameter;
        const char* saved;
    };
    const Case hostile[] = {
        {"filename*=UTF-8''..%2F..%2Fescape.txt", "escape.txt"},
        {"filename*=UTF-8''..%5C..%5Cwin.ini", "win.ini"},
        {"filename*=UTF-8''a%00b%0D%0A.txt", "a_b__.txt"},
        {"filename*=UTF-8''%43%4F%4E", "_CON"},
        {"filename*=x-unknown''caf%E9.txt", "caf\xE9.txt"},  // unknown charset: the bytes as sent
        {"filename*=UTF-8''caf%E9s.txt", "caf\xE9s.txt"},    // not UTF-8 after all
    };
    for (const Case& c : hostile) {
        MimePart part;
        parseText(part, std::string("Content-Disposition: attachment; ") + c.parameter + "\n\ncontent\n");
        AttachmentList saved;
        saveAttachment(part, saved, true);
        ASSERT_EQ(saved.size(), 1u) << c.parameter;
        EXPECT_EQ(saved[0].folder, tempFolder) << c.parameter;
        EXPECT_EQ(saved[0].fileName, c.saved) << c.parameter;
        EXPECT_EQ(readWhole(tempFolder + c.saved), "content\r\n") << c.parameter;
    }
}

// In a two-byte code page the second byte of a character may be the code of
// "\\" or "|": it neither splits the name nor is replaced.
TEST(SafeFileName, TwoByteCharactersKeepTheirSecondByte) {
    struct Case {
        const char* codePage;
        const char* name;
        const char* safe;
    };
    const Case cases[] = {
        {"BIG5", "\xA5\x5C\xAF\xE0.doc", "\xA5\x5C\xAF\xE0.doc"},          // 功能.doc
        {"BIG5", "dir\\\xA5\x5C.txt", "\xA5\x5C.txt"},                      // a real separator still splits
        {"GBK", "\x81\x7C\x81\x5C|.txt", "\x81\x7C\x81\x5C_.txt"},          // trail bytes "|" and "\\"
        {"Shift_JIS", "\x95\x5C.txt", "\x95\x5C.txt"},                        // 表.txt
        {"UTF-8", "\xE5\x8A\x9F\\x.txt", "x.txt"},                           // no two-byte characters
        {"BIG5", "end\xA5", "end\xA5"},                                        // a lone lead byte at the end
    };
    for (const Case& c : cases) {
        platform::setLocalCodePage(c.codePage);
        EXPECT_EQ(safeFileName(c.name), c.safe) << c.codePage << " " << c.name;
    }
    platform::setLocalCodePage("ACP");
}

TEST_F(PartBodies, HostileNamesStayInsideTheTemporaryFolder) {
    struct Case {
        const char* name;
        const char* saved;  // null: a fresh temporary name
    };
    const Case cases[] = {
        {"../../escape.txt", "escape.txt"},
        {"..\\..\\windows\\win.ini", "win.ini"},
        {"C:\\Windows\\evil.dll", "evil.dll"},
        {"C:drive.txt", "drive.txt"},
        {"/etc/passwd", "passwd"},
        {"a<b>c:d|e?f*g.txt", "a_b_c_d_e_f_g.txt"},
        {"tab\there.txt", "tab_here.txt"},
        {"back\\slash", "slash"},
        {"trailing. . .", "trailing"},
        {"CON.txt", "_CON.txt"},
        {"lpt1", "_lpt1"},
        {"COM10.txt", "COM10.txt"},
        {"=?UTF-8?B?Li4vLi4vZW5jb2RlZC50eHQ=?=", "encoded.txt"},  // ../../encoded.txt
        {"..", nullptr},
        {".", nullptr},
        {"dir/", nullptr},
    };
    for (const Case& c : cases) {
        std::filesystem::remove_all(tempFolder);
        std::filesystem::create_directory(tempFolder);
        MimePart part;
        parseText(part, std::string("Content-Disposition: attachment; filename=\"") + c.name + "\"\n\ncontent\n");
        AttachmentList list;
        saveAttachment(part, list, true);
        ASSERT_EQ(list.size(), 1u) << c.name;
        EXPECT_EQ(list[0].folder, tempFolder) << c.name;
        if (c.saved) {
            EXPECT_EQ(list[0].fileName, c.saved) << c.name;
        } else {
            EXPECT_EQ(list[0].fileName.substr(list[0].fileName.size() - 4), ".dat") << c.name;
        }
        EXPECT_EQ(filesWritten(), (std::vector<std::string>{"temp/" + list[0].fileName})) << c.name;
        EXPECT_EQ(readWhole(tempFolder + list[0].fileName), "content\r\n") << c.name;
    }
}

// A host whose fresh "dup" names cannot be made into folders.
const char* BKA_CALL unusableTempName(const char*) {
    static std::string name;
    name = hostsim::simHost().tempFolder + "missing/dup" + std::to_string(hostsim::simHost().calls.size());
    hostsim::simHost().calls.push_back("BKA_GetTempFileName");
    return name.c_str();
}

TEST_F(PartBodies, ACollisionFolderThatCannotBeMadeIsRetriedAFewTimesThenGivenUp) {
    platform::writeFile("earlier", tempFolder + "taken.txt");
    hostApi().BKA_GetTempFileName = &unusableTempName;
    MimePart part;
    parseText(part, "Content-Disposition: attachment; filename=taken.txt\n\nnew content\n");
    AttachmentList list;
    saveAttachment(part, list, true);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(hostsim::simHost().countCalls("BKA_GetTempFileName"), 8);
    EXPECT_EQ(readWhole(tempFolder + "taken.txt"), "earlier");
    EXPECT_EQ(filesWritten(), (std::vector<std::string>{"temp/taken.txt"}));

    // A host that fails once and then succeeds: saved where the list says.
    static int failures;
    failures = 1;
    hostApi().BKA_GetTempFileName = [](const char* extension) -> const char* {
        if (failures-- > 0) return unusableTempName(extension);
        return BKA_GetTempFileName(extension);
    };
    saveAttachment(part, list, true);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_NE(list[0].folder, tempFolder);
    EXPECT_EQ(readWhole(list[0].folder + "taken.txt"), "new content\r\n");
}

}  // namespace
