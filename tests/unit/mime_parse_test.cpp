#include "mime_test_support.h"

namespace {

using mimetest::childrenOf;
using mimetest::linesOf;
using mimetest::parseText;
using Lines = std::vector<std::string>;

class MimeParse : public mimetest::HostFixture {};

TEST_F(MimeParse, HeadersBodyAndTheEmptyLineBetween) {
    MimePart root;
    parseText(root, "Subject: hi\nContent-Type: text/html; charset=utf-8\n\n<p>x</p>\nlast");
    EXPECT_EQ(linesOf(root.headers), (Lines{"Subject: hi\r\n", "Content-Type: text/html; charset=utf-8\r\n", "\r\n"}));
    EXPECT_EQ(linesOf(root.body), (Lines{"<p>x</p>\r\n", "last\r\n"}));
    EXPECT_EQ(root.type, "text");
    EXPECT_EQ(root.subtype, "html");
    EXPECT_FALSE(root.boundary);
    EXPECT_TRUE(root.epilogue.empty());
    EXPECT_FALSE(root.firstChild);
}

TEST_F(MimeParse, FoldedHeadersAreOneEntryAndStillYieldTheBoundary) {
    MimePart root;
    parseText(root,
              "Content-Type: multipart/mixed;\r\n"
              "\tcharset=x;\r\n"
              "  boundary=\"b=1\"\r\n"
              "X-Other: y\r\n\r\n--b=1\r\n\r\nbody\r\n--b=1--\r\n");
    EXPECT_EQ(linesOf(root.headers),
              (Lines{"Content-Type: multipart/mixed;\r\n\tcharset=x;\r\n  boundary=\"b=1\"\r\n", "X-Other: y\r\n", "\r\n"}));
    ASSERT_TRUE(root.boundary);
    EXPECT_EQ(*root.boundary, "b=1");
    ASSERT_TRUE(root.firstChild);
    EXPECT_EQ(linesOf(root.firstChild->body), (Lines{"body\r\n"}));
}

TEST_F(MimeParse, ContentTypeRecognitionAndItsLimits) {
    struct Case {
        const char* header;
        const char* type;
        const char* subtype;
        std::optional<std::string> boundary;
    };
    const std::string longType(50, 't');
    const std::string cut(40, 't');
    const std::string longHeader = "Content-Type: " + longType + "/" + longType;
    const Case cases[] = {
        {"content-TYPE:text/HTML", "text", "HTML", std::nullopt},
        {"Content-Type : text/html", "", "", std::nullopt},          // no space before the colon
        {"Content-Type: text", "", "", std::nullopt},                // no subtype: nothing set
        {"Content-Type: text/", "", "", std::nullopt},
        {"Content-Type:\ttext html", "text", "html", std::nullopt},  // any of "/ \t" ends the type
        {"Content-Type: multipart/mixed; boundary=abc def", "multipart", "mixed", "abc"},
        {"Content-Type: multipart/mixed; boundary=abc;x=y", "multipart", "mixed", "abc"},
        {"Content-Type: multipart/mixed; BOUNDARY=\"a b;c\"", "multipart", "mixed", "a b;c"},
        {"Content-Type: multipart/mixed; xboundary=abc", "multipart", "mixed", std::nullopt},
        {"Content-Type: multipart/mixed; boundary=\"unterminated", "multipart", "mixed", "unterminated\r\n"},
        {longHeader.c_str(), cut.c_str(), cut.c_str(), std::nullopt},
    };
    for (const Case& c : cases) {
        MimePart part;
        parseText(part, std::string(c.header) + "\r\n\r\nbody\r\n");
        EXPECT_EQ(part.type, c.type) << c.header;
        EXPECT_EQ(part.subtype, c.subtype) << c.header;
        EXPECT_EQ(part.boundary, c.boundary) << c.header;
    }
}

TEST_F(MimeParse, ALaterContentTypeOverridesButKeepsTheBoundaryItLacks) {
    MimePart part;
    parseText(part, "Content-Type: multipart/mixed; boundary=first\nContent-Type: text/plain\n\n");
    EXPECT_EQ(part.type, "text");
    EXPECT_EQ(part.subtype, "plain");
    EXPECT_EQ(part.boundary, "first");
    parseText(part, "Content-Type: multipart/mixed; boundary=first\nContent-Type: multipart/related; boundary=second\n\n");
    EXPECT_EQ(part.subtype, "related");
    EXPECT_EQ(part.boundary, "second");
}

TEST_F(MimeParse, NoBoundaryIsRecognisedInTheHeaderBlock) {
    MimePart root;
    parseText(root, "Content-Type: multipart/mixed; boundary=b\n--b\nContent-Type: text/plain\n\n--b\n\nx\n--b--\n");
    // Everything up to the first empty line is a header, delimiter included.
    EXPECT_EQ(linesOf(root.headers),
              (Lines{"Content-Type: multipart/mixed; boundary=b\r\n", "--b\r\n", "Content-Type: text/plain\r\n", "\r\n"}));
    EXPECT_EQ(root.subtype, "plain");
    EXPECT_EQ(root.boundary, "b");
    ASSERT_EQ(childrenOf(root).size(), 1u);
    EXPECT_EQ(linesOf(root.firstChild->body), (Lines{"x\r\n"}));
}

TEST_F(MimeParse, NestedMultipartWithPreambleEpilogueAndTrailingText) {
    const std::string text =
        "Content-Type: multipart/mixed; boundary=outer\r\n\r\n"
        "preamble\r\n"
        "--outer\r\n"
        "Content-Type: multipart/alternative; boundary=inner\r\n\r\n"
        "inner preamble\r\n"
        "--inner\r\n\r\nplain\r\n"
        "--inner\r\nContent-Type: text/html\r\n\r\n<p>html</p>\r\n"
        "--inner--\r\n"
        "inner epilogue 1\r\n"
        "--not-a-delimiter\r\n"
        "--outer\r\n\r\nsecond\r\n"
        "--outer--\r\n"
        "after the end\r\n";
    MimePart root;
    const char* cursor = text.c_str();
    root.parse(cursor, nullptr);
    // The root stops right after its closing delimiter.
    EXPECT_STREQ(cursor, "after the end\r\n");
    EXPECT_EQ(linesOf(root.body), (Lines{"preamble\r\n"}));
    EXPECT_TRUE(root.epilogue.empty());

    const auto outer = childrenOf(root);
    ASSERT_EQ(outer.size(), 2u);
    MimePart& alternative = *outer[0];
    EXPECT_EQ(alternative.depth(), 1);
    EXPECT_EQ(linesOf(alternative.body), (Lines{"inner preamble\r\n"}));
    EXPECT_EQ(linesOf(alternative.epilogue), (Lines{"inner epilogue 1\r\n", "--not-a-delimiter\r\n"}));
    const auto inner = childrenOf(alternative);
    ASSERT_EQ(inner.size(), 2u);
    EXPECT_EQ(linesOf(inner[0]->body), (Lines{"plain\r\n"}));
    EXPECT_EQ(inner[1]->subtype, "html");
    EXPECT_EQ(linesOf(inner[1]->body), (Lines{"<p>html</p>\r\n"}));
    EXPECT_EQ(inner[1]->depth(), 2);
    EXPECT_EQ(linesOf(outer[1]->body), (Lines{"second\r\n"}));
}

TEST_F(MimeParse, DelimitersMustMatchExactlyButTheEnclosingOneByPrefix) {
    MimePart root;
    parseText(root,
              "Content-Type: multipart/mixed; boundary=b\n\n"
              "--b\n\n"
              "--b \n"  // trailing space: no delimiter
              "more\n"
              "--b--x\n"
              "--bx\n"
              "--b--\n");
    // A sub-part ends at any line that begins with "--" and its enclosing
    // boundary; the root then keeps such lines that are no exact delimiter.
    const auto parts = childrenOf(root);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_TRUE(parts[0]->body.empty());
    EXPECT_EQ(linesOf(root.body), (Lines{"--b \r\n", "more\r\n", "--b--x\r\n", "--bx\r\n"}));
}

TEST_F(MimeParse, TheEpilogueEndsAtTheEnclosingBoundaryFromTheThirdCharacter) {
    MimePart root;
    parseText(root,
              "Content-Type: multipart/mixed; boundary=out\n\n"
              "--out\nContent-Type: multipart/alternative; boundary=in\n\n"
              "--in\n\ntext\n--in--\n"
              "epilogue\n"
              "XXout and more\n"
              "--out--\n");
    MimePart& nested = *root.firstChild;
    EXPECT_EQ(linesOf(nested.epilogue), (Lines{"epilogue\r\n"}));
    // The first two characters are not looked at: "XXout" ends the nested
    // part, and the root keeps the line in its body.
    EXPECT_EQ(linesOf(root.body), (Lines{"XXout and more\r\n"}));
    EXPECT_FALSE(nested.nextSibling);
}

TEST_F(MimeParse, AMissingClosingDelimiterEndsEachPartAtTheRightPlace) {
    // A message cut short: the root's closing delimiter never comes.
    MimePart root;
    parseText(root, mimetest::dataFile("missing_close.eml"));
    const auto outer = childrenOf(root);
    ASSERT_EQ(outer.size(), 2u);
    const auto alternatives = childrenOf(*outer[0]);
    ASSERT_EQ(alternatives.size(), 2u);
    EXPECT_EQ(linesOf(alternatives[0]->body), (Lines{"plain text\r\n"}));
    EXPECT_EQ(linesOf(alternatives[1]->body), (Lines{"<p>html text</p>\r\n"}));
    EXPECT_TRUE(outer[0]->epilogue.empty());
    EXPECT_TRUE(isAttachment(*outer[1]));
    // The last line had no line end; it is kept whole with CR LF.
    EXPECT_EQ(linesOf(outer[1]->body), (Lines{"last line without a line end\r\n"}));

    // Without the inner closing delimiter a sub-part only stops at its own
    // enclosing boundary: the last alternative runs to the end.
    MimePart unclosed;
    parseText(unclosed,
              "Content-Type: multipart/mixed; boundary=o\n\n"
              "--o\nContent-Type: multipart/alternative; boundary=i\n\n"
              "--i\n\nhtml\n"
              "--o\n\nattachment\n");
    MimePart* last = unclosed.firstChild->firstChild.get();
    EXPECT_EQ(linesOf(last->body), (Lines{"html\r\n", "--o\r\n", "\r\n", "attachment\r\n"}));
    EXPECT_FALSE(unclosed.firstChild->nextSibling);
}

TEST_F(MimeParse, TextThatIsNoMimeDocument) {
    MimePart root;
    parseText(root, "<html>\n<body>\n\n<p>%m</p>\n</body></html>\n");
    EXPECT_EQ(linesOf(root.headers), (Lines{"<html>\r\n", "<body>\r\n", "\r\n"}));
    EXPECT_EQ(linesOf(root.body), (Lines{"<p>%m</p>\r\n", "</body></html>\r\n"}));
    EXPECT_EQ(root.findPart("text", "html"), nullptr);

    MimePart empty;
    parseText(empty, "");
    EXPECT_TRUE(empty.headers.empty());
    EXPECT_TRUE(empty.body.empty());
}

TEST_F(MimeParse, OverLongLinesAreSplitAndNothingIsLost) {
    const std::string longBody(100000, 'b');
    MimePart root;
    parseText(root, "Content-Type: text/plain\n\n" + longBody + "\nend\n");
    EXPECT_EQ(linesOf(root.body),
              (Lines{std::string(65535, 'b') + "\r\n", std::string(100000 - 65535, 'b') + "\r\n", "end\r\n"}));

    // A header line of exactly 65,535 characters leaves its line end behind
    // as an empty line, which ends the header block.
    const std::string longHeader = "X-Long: " + std::string(65535 - 8, 'h');
    MimePart cutHeader;
    parseText(cutHeader, longHeader + "\r\nSubject: s\r\n\r\nbody\r\n");
    EXPECT_EQ(linesOf(cutHeader.headers), (Lines{longHeader + "\r\n", "\r\n"}));
    EXPECT_EQ(linesOf(cutHeader.body), (Lines{"Subject: s\r\n", "\r\n", "body\r\n"}));
}

TEST_F(MimeParse, FoldingStopsNearOneLineBufferWithoutLosingText) {
    std::string text = "X-Big: start";
    for (int i = 0; i < 9000; ++i) text += "\r\n continuation " + std::to_string(i);
    text += "\r\nSubject: after\r\n\r\n";
    MimePart part;
    parseText(part, text);
    std::string joined;
    std::size_t longest = 0;
    for (std::string_view header : part.headers) {
        joined.append(header);
        longest = std::max(longest, header.size());
    }
    // Where the collected text reached the limit, the rest of the cut
    // continuation line starts a header entry of its own.
    const auto withoutLineEnds = [](std::string text) {
        std::string result;
        for (char c : text) {
            if (c != '\r' && c != '\n') result += c;
        }
        return result;
    };
    EXPECT_TRUE(withoutLineEnds(joined) == withoutLineEnds(text));
    EXPECT_GT(part.headers.size(), 3u);
    EXPECT_LE(longest, kLineCapacity + 2);
    EXPECT_GT(longest, kLineCapacity - 100);
    std::string subject;
    EXPECT_TRUE(part.headerValue("Subject", 100, subject));
}

// A tree that reads its bodies in place holds the same lines as one that
// copies them, whatever the line ends, and keeps them once copied out.
TEST_F(MimeParse, BodiesReadInPlaceAreTheLinesACopyingTreeStores) {
    const std::string nested =
        "Content-Type: multipart/mixed; boundary=outer\r\n\r\npreamble\r\n--outer\r\n"
        "Content-Type: multipart/alternative; boundary=inner\r\n\r\ninner preamble\r\n--inner\r\n\r\nplain\r\n"
        "--inner--\r\nepilogue\r\n--outer\r\nContent-Type: image/gif\r\n\r\nR0lG\r\nODlh\r\n--outer--\r\nafter\r\n";
    // Only lines that end in CR LF in the text can be read in place.
    const std::pair<std::string, bool> texts[] = {
        {nested, true},
        {mimetest::withLineEnds(nested, "\n"), false},
        {"Content-Type: text/plain\r\n\r\ncr lf\r\nlf\nlone cr\rcr lf again\r\n\r\nunterminated", true},
        {"Content-Type: text/plain\r\n\r\n" + std::string(65535, 'a') + "\r\n" + std::string(65534, 'b') + "\r\nend\r\n",
         true},
        {"Content-Type: text/plain\r\n\r\nbefore a NUL\r\n" + std::string(1, '\0') + "after\r\n", true},
    };
    for (const auto& [original, readsInPlace] : texts) {
        std::string text = original;
        MimePart copied;
        parseText(copied, text);
        MimePart inPlace;
        inPlace.setBodiesInPlace();
        parseText(inPlace, text);
        std::vector<Lines> expected;
        forEachPart(copied, [&](MimePart& part) {
            for (const LineList* list : {&part.headers, &part.body, &part.epilogue}) expected.push_back(linesOf(*list));
        });
        const auto linesOfTree = [](MimePart& root) {
            std::vector<Lines> lines;
            forEachPart(root, [&](MimePart& part) {
                for (const LineList* list : {&part.headers, &part.body, &part.epilogue}) lines.push_back(linesOf(*list));
            });
            return lines;
        };
        EXPECT_EQ(linesOfTree(inPlace), expected) << original.substr(0, 60);
        std::size_t inPlaceLength = 0;
        forEachPart(inPlace, [&](MimePart& part) { inPlaceLength += part.body.lengthInPlace(); });
        EXPECT_EQ(inPlaceLength > 0, readsInPlace) << original.substr(0, 60);

        forEachPart(inPlace, [](MimePart& part) { part.body.storeLinesInPlace(); });
        text.assign(text.size(), 'x');
        EXPECT_EQ(linesOfTree(inPlace), expected) << original.substr(0, 60);
    }
}

TEST_F(MimeParse, ParsingAgainStartsAfresh) {
    const std::string text = mimetest::dataFile("alternative.eml");
    MimePart root;
    parseText(root, text);
    parseText(root, text);
    EXPECT_EQ(childrenOf(root).size(), 2u);
    EXPECT_EQ(root.headers.size(), 9u);
    parseText(root, "Subject: plain\n\nbody\n");
    EXPECT_EQ(root.type, "");
    EXPECT_FALSE(root.boundary);
    EXPECT_FALSE(root.firstChild);
}

TEST_F(MimeParse, ARootAsksForItsScratchPathsAndSubPartsDoNot) {
    {
        MimePart root;
        EXPECT_EQ(hostsim::simHost().countCalls("BKA_Alloc"), 4);
        EXPECT_EQ(std::string(root.scratchPath(MimePart::kBase64Code)), tempFolder + "temporary_b64.code");
        EXPECT_EQ(std::string(root.scratchPath(MimePart::kBase64Decoded)), tempFolder + "temporary_b64_decode.htm");
        EXPECT_EQ(std::string(root.scratchPath(MimePart::kQuotedPrintableCode)), tempFolder + "temporary_qp.code");
        EXPECT_EQ(std::string(root.scratchPath(MimePart::kQuotedPrintableDecoded)),
                  tempFolder + "temporary_qp_decode.htm");
        parseText(root, mimetest::dataFile("related_cid.eml"));
        // A multipart with five parts below the root costs no host memory.
        EXPECT_EQ(hostsim::simHost().countCalls("BKA_Alloc"), 4);
        EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 4u);
        MimePart* image = root.findPart("image", "png");
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(std::string(image->scratchPath(MimePart::kQuotedPrintableCode)), tempFolder + "temporary_qp.code");
        EXPECT_NE(root.transferEncodingBuffer(), nullptr);
        EXPECT_EQ(root.transferEncodingBuffer(), root.transferEncodingBuffer());
        EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 9u);
    }
    EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 0u);
    EXPECT_EQ(hostsim::simHost().invalidFrees(), 0u);
}

}  // namespace
