// The simulated host's converters and the settings reader on Windows: the
// Win32 code-page conversions (with the fallbacks for code pages a system
// lacks), the file decoders on backslash paths, and the settings keys read
// through GetPrivateProfileStringA.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "platform/host_api.h"
#include "session/settings.h"
#include "shell/captions.h"
#include "tests/mail_text_cases.h"
#include "tests/wine/scratch_folder.h"
#include "tools/hostsim/converters.h"
#include "tools/hostsim/sim_host.h"

namespace wintest {
namespace {

using hostsim::convertCharset;

const std::string kZhongwenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const std::string kZhongwenGb = "\xD6\xD0\xCE\xC4";
const std::string kNihongoUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

class WinHostsim : public ::testing::Test {
protected:
    void SetUp() override {
        hostsim::simHost().reset();
        hostsim::installSimulatedHost();
    }
    void TearDown() override {
        releaseCaptions();
        EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 0u);
        hostsim::simHost().reset();
    }
    ScratchFolder scratch_;
};

TEST_F(WinHostsim, MailCharsetsIntoUtf8) {
    EXPECT_EQ(convertCharset(kZhongwenGb, "gb2312", "UTF-8"), kZhongwenUtf8);
    EXPECT_EQ(convertCharset(kZhongwenGb, "GB18030", "UTF-8"), kZhongwenUtf8);
    EXPECT_EQ(convertCharset("\xA4\xA4\xA4\xE5", "Big5", "UTF-8"), kZhongwenUtf8);
    EXPECT_EQ(convertCharset("\x1B$BF|K\\8l\x1B(B", "ISO-2022-JP", "UTF-8"), kNihongoUtf8);
    EXPECT_EQ(convertCharset("~{VPND~} ~~", "HZ-GB-2312", "UTF-8"), kZhongwenUtf8 + " ~");
    EXPECT_EQ(convertCharset("+ZeVnLIqe-", "UTF-7", "UTF-8"), kNihongoUtf8);
    EXPECT_EQ(convertCharset("\xB1", "ISO-8859-2", "UTF-8"), "\xC4\x85");
    EXPECT_EQ(convertCharset("\x80", "windows-1252", "UTF-8"), "\xE2\x82\xAC");
}

TEST_F(WinHostsim, IntoNarrowCodePages) {
    EXPECT_EQ(convertCharset(kZhongwenUtf8, "UTF-8", "GBK"), kZhongwenGb);
    EXPECT_EQ(convertCharset(kZhongwenGb, "GB2312", "big5"), "\xA4\xA4\xA4\xE5");
    EXPECT_EQ(convertCharset(kZhongwenUtf8 + "~", "UTF-8", "HZ-GB-2312"), "~{VPND~}~~");
    EXPECT_EQ(convertCharset("a" + kZhongwenUtf8 + "b", "UTF-8", "US-ASCII"), "a??b");
    const auto utf7 = convertCharset(kNihongoUtf8, "UTF-8", "UTF-7");
    ASSERT_TRUE(utf7);
    EXPECT_EQ(convertCharset(*utf7, "UTF-7", "UTF-8"), kNihongoUtf8);
}

TEST_F(WinHostsim, InvalidInputAndUnknownNames) {
    EXPECT_FALSE(convertCharset("\xC3", "UTF-8", "GBK"));
    EXPECT_FALSE(convertCharset("\xD6", "GB2312", "UTF-8"));
    EXPECT_FALSE(convertCharset("~{V~}", "HZ-GB-2312", "UTF-8"));
    EXPECT_FALSE(convertCharset("x", "x-klingon", "UTF-8"));
    EXPECT_EQ(convertCharset("", "UTF-8", "GBK"), "");
}

TEST_F(WinHostsim, LocalCodePageIsTheAnsiCodePage) {
    if (GetACP() != 1252) GTEST_SKIP() << "ANSI code page " << GetACP();
    EXPECT_EQ(convertCharset("Caf\xC3\xA9", "UTF-8", "ACP"), "Caf\xE9");
    EXPECT_EQ(convertCharset("Caf\xC3\xA9", "UTF-8", ""), "Caf\xE9");
    EXPECT_EQ(hostsim::decodeEncodedWords("=?UTF-8?Q?J=C3=B6rg?= <j@x>", "ACP"), "J\xF6rg <j@x>");
    hostsim::simHost().localCodePage = "ACP";
    EXPECT_STREQ(hostApi().BKA_UTF_8("\xE2\x82\xAC", 1), "\x80");
}

// The same tables as on Linux: the Windows code page for US-ASCII strips
// the high bit, and its UTF-7 decoder takes any byte.
TEST_F(WinHostsim, MailTextReadAsOnLinux) {
    for (const auto& entry : mail_text_cases::kLabelledText)
        EXPECT_EQ(convertCharset(entry.text, entry.from, "UTF-8"), entry.utf8) << entry.text;
    for (const auto& entry : mail_text_cases::kRawHeaders)
        EXPECT_EQ(hostsim::decodeEncodedWords(entry.text, "UTF-8", entry.messageCharset), entry.utf8) << entry.text;
    hostsim::simHost().localCodePage = "UTF-8";
    EXPECT_STREQ(hostApi().BKA_UTF_7("J\xC3\xBCrgen (UTC+00:00)", 1), "J\xC3\xBCrgen (UTC+00:00)");
}

// UTF-8 and the plain single-byte charsets reach UTF-8 without the detour
// through UTF-16: what they give, text or refusal, is what that detour
// gives, at the edges of well-formed UTF-8 and for every byte of each set.
TEST_F(WinHostsim, IntoUtf8AsTheSystemConvertsThroughUtf16) {
    const auto throughUtf16 = [](const std::string& text, UINT codePage) -> std::optional<std::string> {
        if (text.empty()) return std::string();
        const int length = static_cast<int>(text.size());
        const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
        if (units <= 0) return std::nullopt;
        std::wstring wide(static_cast<std::size_t>(units), L'\0');
        MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), length, &wide[0], units);
        std::string utf8(static_cast<std::size_t>(units) * 3, '\0');
        utf8.resize(static_cast<std::size_t>(WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, &utf8[0],
                                                                 static_cast<int>(utf8.size()), nullptr, nullptr)));
        return utf8;
    };
    const auto expectSame = [&](const std::string& text, const char* charset, UINT codePage) {
        const std::optional<std::string> expected = throughUtf16(text, codePage);
        EXPECT_EQ(convertCharset(text, charset, "UTF-8"), expected) << charset << " " << testing::PrintToString(text);
        std::string inPlace = text;
        inPlace.reserve(text.size() * 3);
        EXPECT_EQ(hostsim::convertCharsetInPlace(inPlace, charset, "UTF-8"), expected.has_value()) << charset;
        EXPECT_EQ(inPlace, expected.value_or(text)) << charset << " " << testing::PrintToString(text);
    };
    for (const char* text : {"caf\xC3\xA9", "\xC0\x80", "\xC1\xBF", "\xC2\x80", "\xDF\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF",
                             "\xE0\xA0\x80", "\xED\x9F\xBF", "\xED\xA0\x80", "\xED\xBF\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF",
                             "\xF0\x8F\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80",
                             "\xF8\x88\x80\x80\x80", "\x80", "\xBF", "\xC3", "\xE2\x82", "\xF0\x9F\x98", "a\xFE", "\xEF\xBB\xBF" "bom", ""}) {
        expectSame(text, "UTF-8", CP_UTF8);
    }
    const struct {
        const char* name;
        UINT codePage;
    } sets[] = {{"ISO-8859-1", 28591}, {"ISO-8859-2", 28592},   {"ISO-8859-7", 28597}, {"ISO-8859-8", 28598},
                {"ISO-8859-15", 28605}, {"windows-1250", 1250}, {"windows-1252", 1252}, {"windows-1253", 1253},
                {"windows-1255", 1255}, {"KOI8-R", 20866},       {"KOI8-U", 21866}};
    for (const auto& set : sets) {
        std::string everyByte;
        for (int byte = 0; byte < 256; ++byte) {
            expectSame("a" + std::string(1, static_cast<char>(byte)) + "b", set.name, set.codePage);
            if (throughUtf16(std::string(1, static_cast<char>(byte)), set.codePage)) everyByte += static_cast<char>(byte);
        }
        expectSame(everyByte + everyByte, set.name, set.codePage);
    }
}

TEST_F(WinHostsim, HostConvertersAnswerInTheLocalCodePage) {
    hostsim::simHost().localCodePage = "GBK";
    EXPECT_STREQ(hostApi().BKA_UTF_8(kZhongwenUtf8.c_str(), 1), kZhongwenGb.c_str());
    EXPECT_STREQ(hostApi().BKA_UTF_7("+Ti1lhw-", 1), kZhongwenGb.c_str());
    EXPECT_STREQ(hostApi().BKA_MIMEHeader("=?ISO-2022-JP?B?GyRCJDMkcxsoQg==?=", nullptr, 0, 0),
                 convertCharset("\xE3\x81\x93\xE3\x82\x93", "UTF-8", "GBK")->c_str());
}

TEST_F(WinHostsim, FileDecodersWorkInPlaceOnWindowsPaths) {
    const std::string encoded = scratch_.path() + "image.timg";
    const std::string decoded = scratch_.path() + "image.png";
    writeTextFile(encoded, "iVBORw0K\r\nGgo=\r\n");
    EXPECT_NE(hostApi().BKA_B64Convert(decoded.c_str(), encoded.c_str(), 0), 0);
    EXPECT_EQ(readWhole(decoded), "\x89PNG\r\n\x1A\n");
    EXPECT_NE(hostApi().BKA_B64Convert(encoded.c_str(), encoded.c_str(), 0), 0);
    EXPECT_EQ(readWhole(encoded), "\x89PNG\r\n\x1A\n");

    const std::string qp = scratch_.path() + "body.htm";
    writeTextFile(qp, "<p>=D6=D0=\r\n=CE=C4</p>  \r\n");
    EXPECT_NE(hostApi().BKA_QPConvert(qp.c_str(), qp.c_str(), 0), 0);
    EXPECT_EQ(readWhole(qp), "<p>" + kZhongwenGb + "</p>\r\n");

    // Many pieces over themselves: the one stream is placed again between
    // each read and write.
    for (const auto& c : mail_text_cases::largeFileCases()) {
        const std::string path = scratch_.path() + "large.bin";
        writeTextFile(path, c.encoded);
        EXPECT_NE(c.convert(path.c_str(), path.c_str(), 0), 0);
        EXPECT_TRUE(readWhole(path) == c.decoded);
    }
}

TEST_F(WinHostsim, SettingsThroughTheProfileReader) {
    const std::string ini = scratch_.path() + "testtorvane.ini";
    EXPECT_FALSE(readSessionFlags(ini).convertText);
    EXPECT_FALSE(readResetCharset(ini));
    EXPECT_EQ(readLanguage(ini), "English");

    writeTextFile(ini, "[Settings]\r\nLanguage=TraditionalChinese_TW\r\nConvertText=TRUEandmuchmore\r\n"
                       "ResetCharset=yes\r\n");
    const SessionFlags flags = readSessionFlags(ini);
    EXPECT_TRUE(flags.convertText);
    EXPECT_FALSE(flags.resetCharset);
    EXPECT_EQ(readLanguage(ini), "TraditionalChinese_");

    loadCaptions(ini);
    EXPECT_STREQ(refreshCaption(), "\xA8\xEA\xB7\x73\xAD\xB6\xAD\xB1");
    EXPECT_EQ(hostsim::simHost().blockSize(refreshCaption()), 40u);

    writeTextFile(ini, "[Settings]\r\nLanguage=simplifiedchinese\r\nResetCharset=True\r\n");
    EXPECT_TRUE(readResetCharset(ini));
    loadCaptions(ini);
    EXPECT_STREQ(autoCaption(), "\xD7\xD4\xB6\xAF\xD1\xA1\xD4\xF1");
    EXPECT_EQ(hostsim::simHost().outstandingBlocks(), 5u);
}

}  // namespace
}  // namespace wintest
