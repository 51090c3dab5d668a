#include "mime/extended_parameter.h"
#include "mime_test_support.h"

namespace {

using mimetest::childrenOf;
using mimetest::parseText;

class MimeHeaders : public mimetest::HostFixture {};

TEST_F(MimeHeaders, HeaderValueTakesTheFirstHeaderOfExactlyThatName) {
    MimePart part;
    parseText(part,
              "Content-Type-Extra: no\r\n"
              "Subject : no\r\n"
              "content-id:   <id@x>\r\n"
              "X-Folded: one\r\n two\r\n"
              "Content-ID: <second>\r\n"
              "X-Empty:\r\n\r\n");
    std::string value = "stale";
    EXPECT_TRUE(part.headerValue("Content-Id", 1000, value));
    EXPECT_EQ(value, "<id@x>\r\n");
    EXPECT_TRUE(part.headerValue("x-folded", 1000, value));
    EXPECT_EQ(value, "one\r\n two\r\n");
    EXPECT_TRUE(part.headerValue("X-Empty", 1000, value));
    EXPECT_EQ(value, "");
    // The capacity counts the terminating NUL of the host's buffers.
    EXPECT_TRUE(part.headerValue("Content-Id", 4, value));
    EXPECT_EQ(value, "<id");
    EXPECT_FALSE(part.headerValue("Content-Type", 1000, value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(part.headerValue("Subject", 1000, value));
}

TEST_F(MimeHeaders, ParseParameterSplitsOnePairAndSaysWhereTheNextBegins) {
    const std::string text = " ;\tattachment; filename = \"my file;1.txt\" ;; size=12\r\nx";
    auto pair = parseParameter(text);
    ASSERT_TRUE(pair);
    // The name holds everything before the "=", earlier tokens included.
    EXPECT_EQ(pair->name, "attachment; filename ");
    EXPECT_EQ(pair->value, "my file;1.txt");
    pair = parseParameter(text, pair->next);
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->name, "size");
    EXPECT_EQ(pair->value, "12");
    EXPECT_EQ(text.substr(pair->next), "x");
    EXPECT_FALSE(parseParameter(text, pair->next));

    pair = parseParameter("a=\"open to the end");
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->value, "open to the end");
    EXPECT_FALSE(parseParameter("no pairs here"));
    pair = parseParameter("empty=;next=1");
    ASSERT_TRUE(pair);
    EXPECT_EQ(pair->value, "");
    EXPECT_EQ(parseParameter("empty=;next=1", pair->next)->value, "1");
}

TEST_F(MimeHeaders, HeaderParameterLooksOnlyAtTheFirstPair) {
    std::string value;
    EXPECT_TRUE(headerParameter("attachment; filename=a.jpg\r\n", "filename", value));
    EXPECT_EQ(value, "a.jpg");
    EXPECT_TRUE(headerParameter("attachment; filename=a.jpg\r\n", "NAME", value));
    EXPECT_TRUE(headerParameter("image/png; name=\"logo.png\"\r\n", "name", value));
    EXPECT_EQ(value, "logo.png");
    EXPECT_FALSE(headerParameter("text/plain; charset=gbk; name=a.txt\r\n", "name", value));
    EXPECT_EQ(value, "");
    EXPECT_FALSE(headerParameter("attachment; size=10; filename=a.jpg", "filename", value));
    EXPECT_FALSE(headerParameter("attachment", "filename", value));
}

TEST_F(MimeHeaders, ExtendedParameterValuesAreJoinedAndPercentDecoded) {
    const char* kNone = "(none)";
    struct Case {
        const char* headerValue;
        const char* bytes;    // null: not the extended form
        const char* charset;  // kNone: no charset, the value goes to the host
    };
    const Case cases[] = {
        {"attachment;\r\n filename*=UTF-8''%E6%8A%A5%E5%91%8A.pdf\r\n", "\xE6\x8A\xA5\xE5\x91\x8A.pdf", "UTF-8"},
        {"attachment;\r\n filename*0*=UTF-8''%E9%95%BF%E6%96%87;\r\n filename*1*=%E4%BB%B6%E5%90%8D.zip\r\n",
         "\xE9\x95\xBF\xE6\x96\x87\xE4\xBB\xB6\xE5\x90\x8D.zip", "UTF-8"},
        {"attachment; filename*=iso-8859-1'de'Bericht%20f%FCr%20M%E4rz.pdf", "Bericht f\xFCr M\xE4rz.pdf",
         "iso-8859-1"},
        {"image/png; name*=\"UTF-8''a%41\"", "aA", "UTF-8"},
        {"attachment; filename*0=\"long name \"; filename*1=\"part two.txt\"", "long name part two.txt", kNone},
        {"attachment; filename*0*=UTF-8''a%20; filename*1=b%20c", "a b%20c", "UTF-8"},  // only "*" sections are encoded
        {"attachment; filename*1*=b.txt; filename*0*=UTF-8''a", "ab.txt", "UTF-8"},
        {"attachment; filename*0*=UTF-8''a; size=3; FILENAME*1*=b; name*2*=x", "ab", "UTF-8"},
        {"attachment; filename*0*=UTF-8''a; filename*2*=c", "a", "UTF-8"},                      // a gap ends it
        {"attachment; filename*0*=UTF-8''a; filename*0*=x; filename*1=b", "ab", "UTF-8"},       // the first 0 counts
        {"attachment; filename*0*=UTF-8''a; filename*99999999999999999999=x; filename*1=b", "ab", "UTF-8"},
        {"attachment; filename*=UTF-8''100%25 %2G%4", "100%", "UTF-8"},
        {"attachment; filename*=\"UTF-8''100%25 %2G%4\"", "100% %2G%4", "UTF-8"},
        {"attachment; filename*=%E6%8A%A5.pdf", "\xE6\x8A\xA5.pdf", ""},  // no quote marks: no charset
        {"attachment; filename*=UTF-8'%41", "UTF-8'A", ""},
        {"attachment; filename*=''%41", "A", ""},
        {"attachment; filename*1*=abc", nullptr, nullptr},  // no section 0
        {"attachment; filename=plain*.txt", nullptr, nullptr},
        {"attachment; filename=a.txt; filename*=UTF-8''b.txt", nullptr, nullptr},
        {"attachment; filename*9999999=x", nullptr, nullptr},
    };
    for (const Case& c : cases) {
        const auto parameter = extendedParameter(c.headerValue);
        if (!c.bytes) {
            EXPECT_FALSE(parameter) << c.headerValue;
            continue;
        }
        ASSERT_TRUE(parameter) << c.headerValue;
        EXPECT_EQ(parameter->bytes, c.bytes) << c.headerValue;
        EXPECT_EQ(parameter->charset.value_or(kNone), c.charset) << c.headerValue;
    }
}

TEST_F(MimeHeaders, AttachmentAndInlineDispositions) {
    struct Case {
        const char* headers;
        bool attachment;
        bool inlined;
    };
    const std::string longDisposition = "Content-Disposition: ATTACHMENT; filename=\"" + std::string(200, 'n') + "\"";
    const Case cases[] = {
        {"Content-Disposition: attachment; filename=a", true, false},
        {"Content-Disposition: Attachment", true, false},
        {longDisposition.c_str(), true, false},
        {"Content-Disposition: inline; filename=a", false, true},
        {"Content-Disposition: attachments-are-not-inline", true, false},
        {"Content-ID: <x>", false, true},
        {"Content-ID: \r\n", false, false},
        {"Content-Disposition: attachment\r\nContent-ID: <x>", true, true},
        {"Content-Type: image/png", false, false},
    };
    for (const Case& c : cases) {
        MimePart part;
        parseText(part, std::string(c.headers) + "\r\n\r\n");
        EXPECT_EQ(isAttachment(part), c.attachment) << c.headers;
        EXPECT_EQ(isInline(part), c.inlined) << c.headers;
    }
}

TEST_F(MimeHeaders, FindPartSearchesInPreOrderWithoutRegardToCase) {
    MimePart root;
    parseText(root,
              "Content-Type: multipart/mixed; boundary=o\n\n"
              "--o\nContent-Type: multipart/alternative; boundary=i\n\n"
              "--i\nContent-Type: text/plain\n\nplain\n"
              "--i\nContent-Type: TEXT/Html\n\nfirst html\n"
              "--i--\n"
              "--o\nContent-Type: text/html\n\nsecond html\n"
              "--o\nContent-Type: image/gif\n\ngif\n"
              "--o--\n");
    MimePart* html = root.findPart("text", "html");
    ASSERT_NE(html, nullptr);
    EXPECT_EQ(joinLines(html->body), "first html\r\n");
    EXPECT_EQ(root.findPart(nullptr, nullptr), &root);
    EXPECT_EQ(root.findPart("multipart", "alternative"), root.firstChild.get());
    EXPECT_EQ(joinLines(root.findPart("IMAGE", nullptr)->body), "gif\r\n");
    EXPECT_EQ(joinLines(root.findPart(nullptr, "plain")->body), "plain\r\n");
    EXPECT_EQ(root.findPart("text", "htm"), nullptr);
    // The search goes on into a part's next siblings.
    MimePart* secondOuter = root.firstChild->nextSibling.get();
    EXPECT_EQ(secondOuter->findPart("image", "gif"), secondOuter->nextSibling.get());

    std::vector<std::string> order;
    visit(root, [](MimePart& part, std::vector<std::string>& seen) { seen.push_back(part.type + "/" + part.subtype); },
          order);
    EXPECT_EQ(order, (std::vector<std::string>{"multipart/mixed", "multipart/alternative", "text/plain", "TEXT/Html",
                                               "text/html", "image/gif"}));
    int count = 0;
    std::string last;
    visit2(
        root,
        [](MimePart& part, int& counter, std::string& type) {
            ++counter;
            type = part.subtype;
        },
        count, last);
    EXPECT_EQ(count, 6);
    EXPECT_EQ(last, "gif");
}

}  // namespace
