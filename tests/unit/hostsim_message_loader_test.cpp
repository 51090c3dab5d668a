#include <gtest/gtest.h>

#include <string>

#include "tools/hostsim/message_loader.h"

using hostsim::loadMessage;

namespace {

const std::string kZhongwenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文

std::string header(const hostsim::SimMessage& message, const std::string& name) {
    for (const auto& entry : message.headers) {
        if (entry.first == name) return entry.second;
    }
    return "<absent>";
}

const char* const kAlternative =
    "From: =?GB2312?B?1tDOxA==?= <zh@example.cn>\r\n"
    "To: you@example.org\r\n"
    "Subject: =?UTF-8?B?5Lit?=\r\n"
    " =?UTF-8?B?5paH?= report\r\n"
    "MIME-Version: 1.0\r\n"
    "Content-Type: multipart/mixed; boundary=\"outer\"\r\n"
    "\r\n"
    "preamble\r\n"
    "--outer\r\n"
    "Content-Type: multipart/alternative; boundary=inner\r\n"
    "\r\n"
    "--inner\r\n"
    "Content-Type: text/plain; charset=gb2312\r\n"
    "Content-Transfer-Encoding: base64\r\n"
    "\r\n"
    "1tDOxA==\r\n"
    "--inner\r\n"
    "Content-Type: text/html; charset=\"GB2312\"\r\n"
    "Content-Transfer-Encoding: quoted-printable\r\n"
    "\r\n"
    "<p>=D6=D0=CE=C4 =\r\n"
    "ok</p>\r\n"
    "--inner--\r\n"
    "--outer\r\n"
    "Content-Type: text/html; name=\"a.htm\"\r\n"
    "Content-Disposition: attachment; filename=\"a.htm\"\r\n"
    "\r\n"
    "<p>attached</p>\r\n"
    "--outer--\r\n";

}  // namespace

TEST(HostsimMessageLoader, NestedMessageGivesItsHtmlPartAndDecodedHeaders) {
    const auto message = loadMessage(kAlternative, "UTF-8");
    EXPECT_EQ(message.rawSource, kAlternative);
    EXPECT_EQ(message.bodyMimeType, "text/html");
    EXPECT_EQ(message.bodyText, "<p>" + kZhongwenUtf8 + " ok</p>");
    EXPECT_EQ(message.charset, "GB2312");
    EXPECT_EQ(header(message, "From"), kZhongwenUtf8 + " <zh@example.cn>");
    EXPECT_EQ(header(message, "Subject"), kZhongwenUtf8 + " report");
    ASSERT_EQ(message.headers.size(), 5u);
    EXPECT_EQ(message.headers[1].first, "To");
    EXPECT_EQ(message.headers[4].second, "multipart/mixed; boundary=\"outer\"");
}

TEST(HostsimMessageLoader, ConvertsIntoTheLocalCodePage) {
    const auto message = loadMessage(kAlternative, "BIG5");
    EXPECT_EQ(message.bodyText, "<p>\xA4\xA4\xA4\xE5 ok</p>");
    EXPECT_EQ(header(message, "From"), "\xA4\xA4\xA4\xE5 <zh@example.cn>");
}

TEST(HostsimMessageLoader, PlainTextWhenThereIsNoHtml) {
    const auto message = loadMessage(
        "Subject: plain\nContent-Type: text/plain; charset=ISO-8859-1\nContent-Transfer-Encoding: quoted-printable\n"
        "\ncaf=E9\nline two\n",
        "UTF-8");
    EXPECT_EQ(message.bodyMimeType, "text/plain");
    EXPECT_EQ(message.bodyText, "caf\xC3\xA9\nline two\n");
    EXPECT_EQ(message.charset, "ISO-8859-1");
}

TEST(HostsimMessageLoader, CharsetFallsBackToTheTopLevel) {
    const auto message = loadMessage(
        "Content-Type: multipart/mixed; charset=big5; boundary=b\r\n\r\n"
        "--b\r\nContent-Type: text/html\r\n\r\n\xA4\xA4\r\n--b--\r\n",
        "UTF-8");
    EXPECT_EQ(message.charset, "big5");
    EXPECT_EQ(message.bodyText, "\xE4\xB8\xAD");
}

TEST(HostsimMessageLoader, WithoutMimeStructure) {
    const auto bare = loadMessage("Subject: hi\r\n\r\nJust text\r\n", "UTF-8");
    EXPECT_EQ(bare.bodyMimeType, "text/plain");
    EXPECT_EQ(bare.bodyText, "Just text\r\n");
    EXPECT_EQ(bare.charset, "");

    const auto noHeaders = loadMessage("not a header line\nmore\n", "UTF-8");
    EXPECT_TRUE(noHeaders.headers.empty());
    EXPECT_EQ(noHeaders.bodyText, "not a header line\nmore\n");

    const auto onlyAttachment = loadMessage(
        "Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: image/png\n\nxx\n--b--\n", "UTF-8");
    EXPECT_EQ(onlyAttachment.bodyMimeType, "text/plain");
    EXPECT_EQ(onlyAttachment.bodyText, "");
}

TEST(HostsimMessageLoader, SurvivesGarbage) {
    EXPECT_EQ(loadMessage("", "UTF-8").bodyText, "");
    EXPECT_EQ(loadMessage("", "UTF-8").bodyMimeType, "text/plain");
    std::string binary;
    for (int i = 0; i < 4096; ++i) binary += static_cast<char>((i * 7919) & 0xFF);
    EXPECT_NO_THROW(loadMessage(binary, "UTF-8"));
    // Unclosed multipart, boundary missing, undecodable body charset.
    EXPECT_EQ(loadMessage("Content-Type: multipart/mixed; boundary=b\n\n--b\nContent-Type: text/html\n\n<p>x",
                          "UTF-8").bodyText,
              "<p>x");
    EXPECT_EQ(loadMessage("Content-Type: multipart/mixed\n\n--b\n", "UTF-8").bodyText, "");
    EXPECT_EQ(loadMessage("Content-Type: text/plain; charset=utf-8\n\n\xFF\xFE", "GBK").bodyText, "\xFF\xFE");
}

TEST(HostsimMessageLoader, DeepNestingIsBounded) {
    std::string source;
    const int depth = 5000;
    for (int i = 0; i < depth; ++i) source += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\n\n--b" + std::to_string(i) + "\n";
    source += "Content-Type: text/html\n\n<p>deep</p>\n";
    const auto message = loadMessage(source, "UTF-8");
    EXPECT_EQ(message.bodyText, "");

    std::string shallow;
    for (int i = 0; i < 5; ++i) shallow += "Content-Type: multipart/mixed; boundary=b" + std::to_string(i) + "\n\n--b" + std::to_string(i) + "\n";
    shallow += "Content-Type: text/html\n\n<p>found</p>";
    EXPECT_EQ(loadMessage(shallow, "UTF-8").bodyText, "<p>found</p>");
}

TEST(HostsimMessageLoader, ComposeSubject) {
    EXPECT_EQ(hostsim::composeSubject("Hello", false), "Re: Hello");
    EXPECT_EQ(hostsim::composeSubject("Hello", true), "Fw: Hello");
    EXPECT_EQ(hostsim::composeSubject("", false), "Re: ");
}
