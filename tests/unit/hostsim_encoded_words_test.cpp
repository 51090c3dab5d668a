#include <gtest/gtest.h>

#include <string>

#include "tests/mail_text_cases.h"
#include "tools/hostsim/converters.h"

using hostsim::decodeEncodedWords;

namespace {

const std::string kZhongwenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const std::string kNihongoUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語

std::string toUtf8(const std::string& text) { return decodeEncodedWords(text, "UTF-8"); }

}  // namespace

TEST(HostsimEncodedWords, BEncodingInTheMailCharsets) {
    EXPECT_EQ(toUtf8("=?GB2312?B?1tDOxA==?="), kZhongwenUtf8);
    EXPECT_EQ(toUtf8("=?gbk?b?1tDOxA==?="), kZhongwenUtf8);
    EXPECT_EQ(toUtf8("=?GB18030?B?1tDOxA==?="), kZhongwenUtf8);
    EXPECT_EQ(toUtf8("=?Big5?B?pKSk5Q==?="), kZhongwenUtf8);
    EXPECT_EQ(toUtf8("=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?="), kNihongoUtf8);
    EXPECT_EQ(toUtf8("=?utf-8?B?5Lit5paH?="), kZhongwenUtf8);
    EXPECT_EQ(toUtf8("=?US-ASCII?B?aGVsbG8=?="), "hello");
    EXPECT_EQ(toUtf8("=?UTF-7?Q?+ZeVnLIqe-?="), kNihongoUtf8);
}

TEST(HostsimEncodedWords, QEncoding) {
    EXPECT_EQ(toUtf8("=?ISO-8859-1?Q?Caf=E9_cr=e8me?="), "Caf\xC3\xA9 cr\xC3\xA8me");
    EXPECT_EQ(toUtf8("=?windows-1252?q?=80_5?="), "\xE2\x82\xAC 5");
    EXPECT_EQ(toUtf8("=?iso-8859-2?Q?=B1?="), "\xC4\x85");  // ą
    EXPECT_EQ(toUtf8("=?UTF-8*en?Q?a_b?="), "a b");          // language suffix
}

TEST(HostsimEncodedWords, WhiteSpaceBetweenAdjacentWordsIsDropped) {
    EXPECT_EQ(toUtf8("=?ISO-8859-1?Q?a?= =?ISO-8859-1?Q?b?="), "ab");
    EXPECT_EQ(toUtf8("=?ISO-8859-1?Q?a?=\r\n\t =?ISO-8859-1?Q?b?="), "ab");
    EXPECT_EQ(toUtf8("=?ISO-8859-1?Q?a?= b"), "a b");
    EXPECT_EQ(toUtf8("x =?ISO-8859-1?Q?a?= y =?ISO-8859-1?Q?b?= z"), "x a y b z");
    EXPECT_EQ(toUtf8("=?UTF-8?B?5Lit?= =?GB2312?B?zsQ=?="), kZhongwenUtf8);  // different charsets
    // A character split across two words is joined before converting.
    EXPECT_EQ(toUtf8("=?UTF-8?B?4oI=?= =?UTF-8?B?rA==?="), "\xE2\x82\xAC");
}

TEST(HostsimEncodedWords, MalformedOrUnknownWordsStayAsWritten) {
    EXPECT_EQ(toUtf8("=?x-klingon?B?YQ==?= =?UTF-8?Q?b?="), "=?x-klingon?B?YQ==?= b");
    EXPECT_EQ(toUtf8("=?UTF-8?X?abc?="), "=?UTF-8?X?abc?=");
    EXPECT_EQ(toUtf8("=?UTF-8?Q?no end"), "=?UTF-8?Q?no end");
    EXPECT_EQ(toUtf8("=??Q?a?="), "=??Q?a?=");
    EXPECT_EQ(toUtf8("=?UTF-8?Q?a b?="), "=?UTF-8?Q?a b?=");
    EXPECT_EQ(toUtf8("=?UTF-8?B?/w==?="), "=?UTF-8?B?/w==?=");  // invalid UTF-8 byte
    EXPECT_EQ(toUtf8("plain =? text"), "plain =? text");
    EXPECT_EQ(toUtf8(""), "");
    EXPECT_EQ(toUtf8("=?"), "=?");
}

TEST(HostsimEncodedWords, RawEightBitTextIsConvertedToo) {
    for (const auto& entry : mail_text_cases::kRawHeaders)
        EXPECT_EQ(decodeEncodedWords(entry.text, "UTF-8", entry.messageCharset), entry.utf8) << entry.text;
    EXPECT_EQ(decodeEncodedWords("J\xC3\xBCrgen", "windows-1252"), "J\xFCrgen");
}

TEST(HostsimEncodedWords, ResultIsInTheTargetCharset) {
    EXPECT_EQ(decodeEncodedWords("Re: =?UTF-8?B?5Lit5paH?=", "GBK"), "Re: \xD6\xD0\xCE\xC4");
    EXPECT_EQ(decodeEncodedWords("=?GB2312?B?1tDOxA==?=", "BIG5"), "\xA4\xA4\xA4\xE5");
    EXPECT_EQ(decodeEncodedWords("=?UTF-8?B?5Lit?=", "ISO-8859-1"), "?");
    EXPECT_EQ(decodeEncodedWords("\"=?UTF-8?Q?J=C3=B6rg?=\" <j@example.org>", "windows-1252"),
              "\"J\xF6rg\" <j@example.org>");
}
