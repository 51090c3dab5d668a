// Messages in the shapes common mail clients send.
#include "mime/inline_images.h"
#include "mime/part_bodies.h"
#include "mime_test_support.h"

#include <algorithm>

namespace {

using mimetest::childrenOf;
using mimetest::dataFile;
using mimetest::linesOf;
using mimetest::parseText;
using Lines = std::vector<std::string>;

class Messages : public mimetest::HostFixture {};

// Every stored line of the tree, part by part, in pre-order.
std::vector<Lines> allLines(MimePart& root) {
    std::vector<Lines> result;
    forEachPart(root, [&](MimePart& part) {
        result.push_back(linesOf(part.headers));
        result.push_back(linesOf(part.body));
        result.push_back(linesOf(part.epilogue));
    });
    return result;
}

TEST_F(Messages, ThunderbirdAlternative) {
    MimePart root;
    parseText(root, dataFile("alternative.eml"));
    EXPECT_EQ(root.type, "multipart");
    EXPECT_EQ(root.subtype, "alternative");
    EXPECT_EQ(root.boundary, "------------A1B2C3D4E5F6");
    EXPECT_EQ(linesOf(root.body), (Lines{"This is a multi-part message in MIME format.\r\n"}));
    const auto parts = childrenOf(root);
    ASSERT_EQ(parts.size(), 2u);
    EXPECT_EQ(parts[0]->subtype, "plain");
    EXPECT_EQ(root.findPart("text", "html"), parts[1]);
    std::string html;
    ASSERT_TRUE(extractHtmlPart(root, html));
    EXPECT_EQ(html,
              "<html>\r\n  <body>\r\n    <p>Hi Bob,</p>\r\n    <p>Are we still on for <b>lunch</b>?</p>\r\n"
              "    <p>Alice</p>\r\n  </body>\r\n</html>\r\n\r\n");
}

TEST_F(Messages, LfOnlyAndLoneCrLineEndsGiveTheSameTree) {
    for (const char* name : {"alternative.eml", "related_cid.eml", "forwarded_rfc822.eml", "gb2312_qp.eml"}) {
        const std::string crLf = dataFile(name);
        MimePart reference;
        parseText(reference, crLf);
        for (const char* lineEnd : {"\n", "\r"}) {
            MimePart other;
            parseText(other, mimetest::withLineEnds(crLf, lineEnd));
            EXPECT_EQ(allLines(other), allLines(reference)) << name;
        }
    }
}

TEST_F(Messages, OutlookRelatedWithNestedAlternative) {
    MimePart root;
    parseText(root, dataFile("related_cid.eml"));
    // A quoted boundary keeps its "=".
    EXPECT_EQ(root.boundary, "----=_NextPart_000_0012_01D9C3B4.5E6F7A80");
    const auto parts = childrenOf(root);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(childrenOf(*parts[0]).size(), 2u);
    EXPECT_EQ(linesOf(parts[0]->epilogue), (Lines{"\r\n"}));
    EXPECT_EQ(parts[1]->subtype, "png");
    EXPECT_EQ(parts[2]->subtype, "gif");
}

TEST_F(Messages, AForwardedMessageStaysOnePartOfItsOwn) {
    MimePart root;
    parseText(root, dataFile("forwarded_rfc822.eml"));
    const auto parts = childrenOf(root);
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts[1]->type, "message");
    EXPECT_EQ(parts[1]->subtype, "rfc822");
    // The forwarded message is body text of that part: its own delimiters are
    // no delimiters here, and its HTML is no part of this tree.
    const Lines forwarded = linesOf(parts[1]->body);
    EXPECT_EQ(forwarded.front(), "From: Alice Example <alice@example.org>\r\n");
    EXPECT_NE(std::find(forwarded.begin(), forwarded.end(), "--inner-b1--\r\n"), forwarded.end());
    EXPECT_EQ(root.findPart("text", "html"), nullptr);
    EXPECT_EQ(root.findPart("multipart", "alternative"), nullptr);

    AttachmentList list;
    visit2(root, saveAttachment, list, true);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].fileName, "report.pdf");
    EXPECT_EQ(mimetest::readWhole(tempFolder + "report.pdf"), dataFile("report.pdf"));
}

TEST_F(Messages, FoxmailQuotedPrintableHtmlInGb2312) {
    MimePart root;
    parseText(root, dataFile("gb2312_qp.eml"));
    EXPECT_EQ(root.boundary, "----=_001_NextPart572182624333_=----");
    std::string html;
    ASSERT_TRUE(extractHtmlPart(root, html));
    // The bytes stay GB2312: only the transfer encoding is undone.
    // The two empty lines before the delimiter belong to the part.
    EXPECT_EQ(html, dataFile("gb2312_qp.expected.htm") + "\r\n\r\n");
}

}  // namespace

namespace {

// What saving a tree's attachments and pictures leaves: names, ids and the
// files' contents (paths differ from one run to the next).
std::vector<std::string> savedFrom(MimePart& root) {
    AttachmentList attachments;
    visit2(root, saveAttachment, attachments, true);
    ContentIdList pictures;
    visit(root, saveInlineImage, pictures);
    std::vector<std::string> saved;
    for (const auto& entry : attachments)
        saved.push_back(entry.fileName + "=" + mimetest::readWhole(entry.folder + entry.fileName));
    for (const auto& [id, path] : pictures) saved.push_back(id + "=" + mimetest::readWhole(path));
    return saved;
}

TEST_F(Messages, ATreeKeepingOnlyTheSavedBodiesSavesTheSameFiles) {
    const std::string nested =
        "Content-Type: multipart/mixed; boundary=a\r\n\r\n--a\r\nContent-Type: multipart/related; boundary=b\r\n\r\n"
        "--b\r\nContent-Type: text/html\r\n\r\n<img src=cid:p>\r\n--b\r\nContent-Type: image/gif\r\n"
        "Content-Id: <p>\r\n\r\nGIF89a\r\n--b\r\nContent-Type: image/png\r\n\r\nno id\r\n--b--\r\nepilogue\r\n"
        "--a\r\nContent-Type: image/jpeg\r\nContent-Disposition: attachment; filename=photo.jpg\r\n\r\nJFIF\r\n--a--\r\n";
    std::vector<std::string> messages{nested};
    for (const char* name : {"alternative.eml", "encoded_filename.eml", "extended_names.eml", "forwarded_rfc822.eml",
                             "missing_close.eml", "related_cid.eml", "gb2312_qp.eml"})
        messages.push_back(dataFile(name));
    for (const std::string& message : messages) {
        MimePart whole;
        parseText(whole, message);
        MimePart filtered;
        filtered.setBodyFilter(bodyIsSaved);
        parseText(filtered, message);
        EXPECT_EQ(savedFrom(filtered), savedFrom(whole)) << message.substr(0, 200);
        // The text parts' bodies are what is dropped.
        const MimePart* text = filtered.findPart("text", nullptr);
        if (text) {
            EXPECT_TRUE(text->body.empty()) << message.substr(0, 200);
        }
    }
}

}  // namespace
