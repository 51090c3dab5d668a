#include "mime/inline_images.h"

#include <algorithm>

#include "mime/part_bodies.h"
#include "mime_test_support.h"

namespace {

using mimetest::parseText;
using mimetest::readWhole;

class InlineImages : public mimetest::HostFixture {
protected:
    // The one entry that saving `part` produces.
    std::pair<std::string, std::string> saveOne(const std::string& part) {
        MimePart root;
        parseText(root, part);
        ContentIdList list;
        saveInlineImage(root, list);
        EXPECT_EQ(list.size(), 1u) << part;
        return list.empty() ? std::pair<std::string, std::string>() : list[0];
    }

    std::string extensionOf(const std::string& path) { return path.substr(path.rfind('.') + 1); }
};

TEST_F(InlineImages, AnUnnamedJpegIsDecodedWithACopyOfItsLines) {
    const auto entry = saveOne(
        "Content-Type: image/jpeg\r\nContent-ID: <photo@example>\r\nContent-Transfer-Encoding: base64\r\n\r\n"
        "/9j/4AAQ\r\n");
    EXPECT_EQ(entry.first, "photo@example");
    EXPECT_EQ(entry.second.compare(0, tempFolder.size(), tempFolder), 0);
    EXPECT_EQ(extensionOf(entry.second), "jpg");
    EXPECT_EQ(readWhole(entry.second), std::string("\xFF\xD8\xFF\xE0\x00\x10", 6));
    const std::string copy = entry.second.substr(0, entry.second.size() - 3) + "timg";
    EXPECT_EQ(readWhole(copy), "/9j/4AAQ\r\n");
    EXPECT_EQ(filesWritten().size(), 2u);

    std::string html = "<img src=\"CID:Photo@Example\"><img src='cid:photo@example'>";
    rewriteContentIds(html, {entry});
    EXPECT_EQ(html, "<img src=\"" + entry.second + "\"><img src='" + entry.second + "'>");
}

TEST_F(InlineImages, TheExtensionComesFromTheNameOrTheSubtype) {
    struct Case {
        const char* headers;
        const char* extension;
    };
    const Case cases[] = {
        {"Content-Type: image/png; name=logo.PNG", "PNG"},
        {"Content-Type: image/png; name=\"=?UTF-8?Q?gr=C3=BC=C3=9Fe.gif?=\"", "gif"},
        {"Content-Type: image/png\r\nContent-Disposition: inline; filename=\"shot.bmp\"", "bmp"},
        {"Content-Type: image/png; name=noextension", "img"},
        {"Content-Type: image/jpeg;\r\n name*0*=UTF-8''%E7%85%A7;\r\n name*1*=%E7%89%87.jpeg", "jpeg"},
        {"Content-Type: image/png\r\nContent-Disposition: inline; filename*=UTF-8''shot%2Egif", "gif"},
        {"Content-Type: image/png; charset=x; name=hidden.gif", "png"},  // only the first parameter counts
        {"Content-Type: image/x-icon", "img"},
        {"Content-Type: image/TIFF", "tiff"},
        {"Content-Type: image/pjpeg", "img"},
        {"Content-Type: image/jpeg2000", "jpg"},
        {"Content-Type: image/gif", "gif"},
        {"Content-Type: image/bmp", "bmp"},
        {"Content-Type: Image/png", "png"},
    };
    for (const Case& c : cases) {
        const auto entry = saveOne(std::string(c.headers) + "\r\nContent-Id: <a>\r\n\r\ndata\r\n");
        EXPECT_EQ(extensionOf(entry.second), c.extension) << c.headers;
    }
}

TEST_F(InlineImages, OnlyImagesWithAContentIdAreSaved) {
    for (const char* headers : {
             "Content-Type: image/png\r\nContent-Disposition: inline; filename=a.png",
             "Content-Type: image/png\r\nContent-Id:\r\n",
             "Content-Type: text/html\r\nContent-Id: <a>",
             "Content-Type: application/octet-stream\r\nContent-Id: <a>",
         }) {
        MimePart part;
        parseText(part, std::string(headers) + "\r\n\r\ndata\r\n");
        ContentIdList list;
        saveInlineImage(part, list);
        EXPECT_TRUE(list.empty()) << headers;
    }
    EXPECT_TRUE(filesWritten().empty());
}

TEST_F(InlineImages, UnencodedAndQuotedPrintableImages) {
    // Not transfer-encoded: the stored lines are the picture.
    const auto raw = saveOne("Content-Type: image/svg+xml\r\nContent-Id: <svg>\r\n\r\n<svg/>\r\n");
    EXPECT_EQ(readWhole(raw.second), "<svg/>\r\n");
    const auto qp = saveOne(
        "Content-Type: image/x-xbitmap\r\nContent-Id: <xbm>\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
        "#define=20x\r\n");
    EXPECT_EQ(readWhole(qp.second), "#define x\r\n");
}

TEST_F(InlineImages, AHostileNameCannotChooseTheFolder) {
    for (const char* name : {"x.a/../../escape", "x.a\\..\\..\\escape", "x.\\escape", "x./", "x.  "}) {
        const auto entry =
            saveOne(std::string("Content-Type: image/png; name=\"") + name + "\"\r\nContent-Id: <a>\r\n\r\nd\r\n");
        EXPECT_EQ(entry.second.compare(0, tempFolder.size(), tempFolder), 0) << name;
        EXPECT_EQ(entry.second.find('/', tempFolder.size()), std::string::npos) << name;
        EXPECT_EQ(entry.second.find('\\'), std::string::npos) << name;
    }
    for (const std::string& file : filesWritten()) EXPECT_EQ(file.compare(0, 5, "temp/"), 0) << file;
}

TEST_F(InlineImages, RewritingGoesEntryByEntryLeftToRight) {
    struct Case {
        const char* html;
        ContentIdList list;
        const char* rewritten;
    };
    const Case cases[] = {
        // img1 is replaced first and also eats the beginning of "cid:img10"...
        {"<img src=cid:img10><img src=cid:img1><img src=\"Cid:IMG1\">",
         {{"img1", "/t/one.png"}, {"img10", "/t/ten.png"}},
         "<img src=/t/one.png0><img src=/t/one.png><img src=\"/t/one.png\">"},
        // ...but not when img10 comes first in the list.
        {"<img src=cid:img10><img src=cid:img1><img src=\"Cid:IMG1\">",
         {{"img10", "/t/ten.png"}, {"img1", "/t/one.png"}},
         "<img src=/t/ten.png><img src=/t/one.png><img src=\"/t/one.png\">"},
        {"CID:Logo@X cid:LOGO@x cId:logo@X", {{"logo@x", "L"}}, "L L L"},
        // Bytes beyond ASCII are compared as they are.
        {"cid:\xC4\xB0 cid:\xC4", {{"\xC4\xB0", "u"}, {"\xE4", "latin"}}, "u cid:\xC4"},
        // Unknown ids stay; an empty id matches nothing.
        {"<img src=cid:unknown><img src=cid:>", {{"", "/t/empty.png"}, {"other", "/t/other.png"}},
         "<img src=cid:unknown><img src=cid:>"},
        {"cid:acid:a", {{"a", "1"}}, "11"},
        // References that overlap: whichever entry comes first in the list
        // takes its reference, and the other no longer matches.
        {"cid:xcid:a", {{"a", "A"}, {"xc", "XC"}}, "cid:xA"},
        {"cid:xcid:a", {{"xc", "X1"}, {"a", "A"}}, "X1id:a"},
        {"cid:cid:ab", {{"cid:a", "1"}, {"ab", "2"}}, "1b"},
        {"cid:cid:ab", {{"ab", "2"}, {"cid:a", "1"}}, "cid:2"},
        // What a replacement inserts is not searched again, by any entry: a
        // drive letter after "ci" no longer lets a later id rewrite the path.
        {"cid:a cid:a", {{"a", "cid:a!"}, {"a", "again"}}, "cid:a! cid:a!"},
        {"cicid:a", {{"a", "D:\\t\\1.png"}, {"\\t", "X"}}, "ciD:\\t\\1.png"},
        {"cid:xcid:a", {{"xc", "XC"}, {"a", "A"}}, "XCid:a"},
    };
    for (const Case& c : cases) {
        std::string html = c.html;
        rewriteContentIds(html, c.list);
        EXPECT_EQ(html, c.rewritten) << c.html;
    }
}

TEST_F(InlineImages, EveryOneOfManyPicturesFindsItsReferences) {
    // Ids n0..n1999 in list order: a reference to n123 goes to n1, the first
    // id in the list that it begins with.
    constexpr int kPictures = 2000;
    ContentIdList list;
    for (int i = 0; i < kPictures; ++i) list.emplace_back("n" + std::to_string(i), "/t/" + std::to_string(i) + ".gif");
    std::string html;
    std::string expected;
    for (int j = kPictures - 1; j >= 0; --j) {
        const std::string reference = "n" + std::to_string(j) + "\"";
        html += (j % 2 ? "<img src=\"cid:" : "<img src=\"CID:") + reference + ">";
        const auto owner = std::find_if(list.begin(), list.end(),
                                        [&](const auto& entry) { return reference.compare(0, entry.first.size(), entry.first) == 0; });
        expected += "<img src=\"" + owner->second + reference.substr(owner->first.size()) + ">";
    }
    rewriteContentIds(html, list);
    EXPECT_EQ(html, expected);
}

TEST_F(InlineImages, AnOutlookRelatedMessageGetsItsPicturesInPlace) {
    MimePart root;
    parseText(root, mimetest::dataFile("related_cid.eml"));
    ContentIdList list;
    visit(root, saveInlineImage, list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].first, "image001.png@01D9C3B4.5E6F7A80");
    EXPECT_EQ(extensionOf(list[0].second), "png");
    EXPECT_EQ(list[1].first, "Logo@Example.com");
    EXPECT_EQ(extensionOf(list[1].second), "gif");
    EXPECT_EQ(readWhole(list[0].second), mimetest::dataFile("pixel.png"));
    EXPECT_EQ(readWhole(list[1].second), mimetest::dataFile("pixel.gif"));

    std::string html;
    ASSERT_TRUE(extractHtmlPart(root, html));
    rewriteContentIds(html, list);
    EXPECT_NE(html.find("src=\"" + list[0].second + "\""), std::string::npos) << html;
    EXPECT_NE(html.find("src=\"" + list[1].second + "\""), std::string::npos) << html;
    EXPECT_EQ(html.find("cid:"), std::string::npos) << html;
    EXPECT_EQ(html.find("CID:"), std::string::npos) << html;
}

}  // namespace
