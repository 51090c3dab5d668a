#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <iconv.h>
#endif

#include <optional>
#include <string>

#include "platform/charset_convert.h"
#include "platform/charset_names.h"
#include "platform/seven_bit_charsets.h"
#include "tests/mail_text_cases.h"

using platform::canonicalCharsetName;
using platform::convertCharset;

namespace {

const std::string kZhongwenUtf8 = "\xE4\xB8\xAD\xE6\x96\x87";  // 中文
const std::string kZhongwenGb = "\xD6\xD0\xCE\xC4";
const std::string kZhongwenBig5 = "\xA4\xA4\xA4\xE5";
const std::string kNihongoUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";  // 日本語
const std::string kNihongoJis = "\x1B$BF|K\\8l\x1B(B";
const std::string kNihongoEucJp = "\xC6\xFC\xCB\xDC\xB8\xEC";

}  // namespace

TEST(CharsetNames, AliasesMeetInOneName) {
    EXPECT_EQ(canonicalCharsetName("GB2312"), "CP936");
    EXPECT_EQ(canonicalCharsetName(" gbk "), "CP936");
    EXPECT_EQ(canonicalCharsetName("Big5"), "CP950");
    EXPECT_EQ(canonicalCharsetName("iso8859-15"), "ISO-8859-15");
    EXPECT_EQ(canonicalCharsetName("ISO_8859-2"), "ISO-8859-2");
    EXPECT_EQ(canonicalCharsetName("cp1251"), "WINDOWS-1251");
    EXPECT_EQ(canonicalCharsetName("utf8"), "UTF-8");
    EXPECT_EQ(canonicalCharsetName(""), platform::kLocalCodePage);
    EXPECT_EQ(canonicalCharsetName("acp"), platform::kLocalCodePage);
}

TEST(CharsetNames, UnknownNamesAreRefused) {
    EXPECT_FALSE(canonicalCharsetName("x-unknown"));
    EXPECT_FALSE(canonicalCharsetName("iso-8859-12"));
    EXPECT_FALSE(canonicalCharsetName("iso-8859-99"));
    EXPECT_FALSE(canonicalCharsetName("windows-1249"));
    EXPECT_FALSE(canonicalCharsetName("utf-8x"));
}

TEST(ConvertCharset, ChineseAndJapaneseIntoUtf8) {
    EXPECT_EQ(convertCharset(kZhongwenGb, "GB2312", "UTF-8"), kZhongwenUtf8);
    EXPECT_EQ(convertCharset(kZhongwenGb, "GBK", "UTF-8"), kZhongwenUtf8);
    EXPECT_EQ(convertCharset(kZhongwenBig5, "BIG5", "UTF-8"), kZhongwenUtf8);
    EXPECT_EQ(convertCharset(kNihongoJis, "ISO-2022-JP", "UTF-8"), kNihongoUtf8);
    EXPECT_EQ(convertCharset(kNihongoEucJp, "EUC-JP", "UTF-8"), kNihongoUtf8);
    EXPECT_EQ(convertCharset("~{VPND~} ~~ a", "HZ-GB-2312", "UTF-8"), kZhongwenUtf8 + " ~ a");
    // A four-byte GB18030 sequence (U+1F600) that GBK does not have.
    EXPECT_EQ(convertCharset("\x94\x39\xFC\x36", "GB18030", "UTF-8"), "\xF0\x9F\x98\x80");
}

TEST(ConvertCharset, Utf7BothWays) {
    EXPECT_EQ(convertCharset("+ZeVnLIqe-", "UTF-7", "UTF-8"), kNihongoUtf8);
    EXPECT_EQ(convertCharset("Hi +ZeVnLIqe- there", "utf-7", "GBK"), convertCharset("Hi " + kNihongoUtf8 + " there", "UTF-8", "GBK"));
    const auto encoded = convertCharset(kNihongoUtf8 + "!", "UTF-8", "UTF-7");
    ASSERT_TRUE(encoded);
    EXPECT_EQ(convertCharset(*encoded, "UTF-7", "UTF-8"), kNihongoUtf8 + "!");
}

TEST(ConvertCharset, MailLabelsAreReadAsMailReadersReadThem) {
    for (const auto& entry : mail_text_cases::kLabelledText)
        EXPECT_EQ(convertCharset(entry.text, entry.from, "UTF-8"), entry.utf8) << entry.text;
}

TEST(ConvertCharset, IntoNonUnicodeTargets) {
    EXPECT_EQ(convertCharset(kZhongwenUtf8, "UTF-8", "GBK"), kZhongwenGb);
    EXPECT_EQ(convertCharset(kZhongwenUtf8, "UTF-8", "big5"), kZhongwenBig5);
    EXPECT_EQ(convertCharset(kZhongwenBig5, "big5", "gb2312"), kZhongwenGb);
    EXPECT_EQ(convertCharset(kZhongwenUtf8 + "~", "UTF-8", "HZ-GB-2312"), "~{VPND~}~~");
    EXPECT_EQ(convertCharset("Caf\xC3\xA9", "UTF-8", "windows-1252"), "Caf\xE9");
    const auto jis = convertCharset(kNihongoUtf8 + "a", "UTF-8", "ISO-2022-JP");
    ASSERT_TRUE(jis);
    EXPECT_EQ(convertCharset(*jis, "ISO-2022-JP", "UTF-8"), kNihongoUtf8 + "a");
}

TEST(ConvertCharset, MissingCharactersBecomeQuestionMarks) {
    EXPECT_EQ(convertCharset("a" + kZhongwenUtf8 + "b", "UTF-8", "US-ASCII"), "a??b");
    EXPECT_EQ(convertCharset("\xE2\x82\xAC", "UTF-8", "ISO-8859-1"), "?");
    // The shift state is closed before a substitute, so the result decodes.
    const auto jis = convertCharset(kNihongoUtf8 + "\xE2\x82\xAC" + kNihongoUtf8, "UTF-8", "ISO-2022-JP");
    ASSERT_TRUE(jis);
    EXPECT_EQ(convertCharset(*jis, "ISO-2022-JP", "UTF-8"), kNihongoUtf8 + "?" + kNihongoUtf8);
}

#if !defined(_WIN32)
// Single-byte charsets are decoded through a table of iconv's own answers:
// every byte, and a text of all of them, comes out as iconv gives it, with
// the same refusal of a byte the charset leaves undefined. WINDOWS-1258,
// whose accents join the letter before them, still goes through iconv.
TEST(ConvertCharset, SingleByteCharsetsDecodeAsIconvDoes) {
    const auto iconvToUtf8 = [](const std::string& text, const char* charset) -> std::optional<std::string> {
        const iconv_t handle = iconv_open("UTF-8", charset);
        EXPECT_NE(handle, reinterpret_cast<iconv_t>(-1)) << charset;
        std::string out(text.size() * 4 + 4, '\0');
        char* in = const_cast<char*>(text.data());
        std::size_t inLeft = text.size();
        char* at = out.data();
        std::size_t outLeft = out.size();
        const bool converted = iconv(handle, &in, &inLeft, &at, &outLeft) != static_cast<std::size_t>(-1);
        iconv_close(handle);
        if (!converted) return std::nullopt;
        out.resize(out.size() - outLeft);
        return out;
    };
    std::string everyByte;
    for (int byte = 1; byte < 256; ++byte) everyByte += static_cast<char>(byte);
    for (const char* charset : {"ISO-8859-1", "ISO-8859-2", "ISO-8859-6", "ISO-8859-7", "ISO-8859-11", "ISO-8859-15",
                                "WINDOWS-1250", "WINDOWS-1251", "WINDOWS-1252", "WINDOWS-1255", "KOI8-R", "KOI8-U"}) {
        for (int byte = 0; byte < 256; ++byte) {
            const std::string one(1, static_cast<char>(byte));
            EXPECT_EQ(convertCharset("a" + one + "z", charset, "UTF-8"), iconvToUtf8("a" + one + "z", charset))
                << charset << " byte " << byte;
        }
        EXPECT_EQ(convertCharset(everyByte, charset, "UTF-8"), iconvToUtf8(everyByte, charset)) << charset;
    }
    std::string mixed;  // runs of ASCII of every length around a word of eight, between 8-bit bytes
    for (int i = 0; i < 60; ++i) mixed += std::string(i % 19, static_cast<char>('a' + i % 26)) + "\xE9\xC1";
    for (const std::string& text : {mixed, mixed + "tail of ascii", std::string(40, 'a')}) {
        for (const char* charset : {"ISO-8859-1", "WINDOWS-1252", "KOI8-R"}) {
            EXPECT_EQ(convertCharset(text, charset, "UTF-8"), iconvToUtf8(text, charset)) << charset;
            std::string inPlace = text;
            inPlace.reserve(text.size() * 2);
            EXPECT_TRUE(platform::convertCharsetInPlace(inPlace, charset, "UTF-8"));
            EXPECT_EQ(inPlace, iconvToUtf8(text, charset)) << charset;
        }
    }
    EXPECT_EQ(convertCharset("A\xEC", "windows-1258", "UTF-8"), "\xC3\x81");  // A and its accent: one letter
}
#endif

// Over the text itself, with room in its capacity or without, the result
// is convertCharset's; a text that cannot be converted is left as it was.
TEST(ConvertCharset, InPlaceGivesTheSameTextOrLeavesItAlone) {
    const struct {
        std::string text;
        const char* from;
        const char* to;
    } cases[] = {
        {"caf\xE9 cr\xE8me " + std::string(300, '\xE0'), "ISO-8859-1", "UTF-8"},
        {"\x80 and \x9F", "windows-1252", "UTF-8"},
        {"\x81 is undefined", "windows-1252", "UTF-8"},
        {"caf\xC3\xA9", "UTF-8", "UTF-8"},
        {"\xC3 cut", "UTF-8", "UTF-8"},
        {kZhongwenGb, "GB2312", "UTF-8"},
        {"caf\xC3\xA9", "UTF-8", "ISO-8859-1"},
        {"abc", "x-klingon", "UTF-8"},
    };
    for (const auto& c : cases) {
        const auto expected = convertCharset(c.text, c.from, c.to);
        for (const std::size_t room : {std::size_t{0}, c.text.size() * 3}) {
            std::string text = c.text;
            text.reserve(text.size() + room);
            EXPECT_EQ(platform::convertCharsetInPlace(text, c.from, c.to), expected.has_value()) << c.text;
            EXPECT_EQ(text, expected.value_or(c.text)) << c.text << " with room " << room;
        }
    }
}

TEST(ConvertCharset, InvalidInputAndUnknownNamesGiveNone) {
    EXPECT_FALSE(convertCharset("\xC3", "UTF-8", "UTF-8"));
    // Beyond U+10FFFF, overlong, a surrogate: not UTF-8, though glibc passes some on.
    for (const char* notUtf8 : {"\xF6\x9D\x8D\xA1", "\xF4\x90\x80\x80", "\xC0\xAF", "\xED\xA0\x80"})
        EXPECT_FALSE(convertCharset(notUtf8, "UTF-8", "UTF-8")) << notUtf8;
    EXPECT_FALSE(convertCharset("\xFF\xFE", "UTF-8", "GBK"));
    EXPECT_FALSE(convertCharset("\xD6", "GB2312", "UTF-8"));  // cut in the middle of a character
    EXPECT_FALSE(convertCharset("abc", "x-klingon", "UTF-8"));
    EXPECT_FALSE(convertCharset("abc", "UTF-8", "x-klingon"));
    EXPECT_FALSE(convertCharset("~{V~}", "HZ-GB-2312", "UTF-8"));
    EXPECT_EQ(convertCharset("", "GB2312", "UTF-8"), "");
    EXPECT_EQ(convertCharset(std::string("a\0b", 3), "ISO-8859-1", "UTF-8"), std::string("a\0b", 3));
}

// Each sequence at every offset of a word of ASCII: the runs skipped eight
// bytes at a time must not skip the byte that decides.
TEST(ConvertCharset, WellFormedUtf8AtEveryOffset) {
    const struct {
        const char* sequence;
        bool wellFormed;
    } cases[] = {
        {"\xC3\xA9", true},           {"\xF0\x9F\x98\x80", true}, {"\xC3", false},
        {"\x80", false},               {"\xE0\x80\x80", false},     {"\xED\xA0\x80", false},
        {"\xF4\x90\x80\x80", false}, {"\xC3\xA9\xC3", false},
    };
    for (const auto& c : cases) {
        for (std::size_t before = 0; before <= 9; ++before) {
            for (std::size_t after = 0; after <= 9; ++after) {
                const std::string text = std::string(before, 'a') + c.sequence + std::string(after, 'b');
                EXPECT_EQ(platform::isWellFormedUtf8(text), c.wellFormed) << before << " " << after;
            }
        }
    }
    EXPECT_TRUE(platform::isWellFormedUtf8(std::string(17, 'x')));
}

TEST(SevenBitCharsets, HzEscapesAndLines) {
    EXPECT_EQ(platform::hzToEucCn("~{VPND~}"), kZhongwenGb);
    EXPECT_EQ(platform::hzToEucCn("a~~b~\nc"), "a~bc");
    EXPECT_EQ(platform::hzToEucCn("~{VP\r\nx"), "\xD6\xD0\r\nx");  // GB mode ends with the line
    EXPECT_FALSE(platform::hzToEucCn("\xD6\xD0"));
    EXPECT_FALSE(platform::hzToEucCn("~{V"));
    EXPECT_EQ(platform::eucCnToHz(kZhongwenGb + "x" + kZhongwenGb), "~{VPND~}x~{VPND~}");
    EXPECT_EQ(platform::eucCnToHz("\x81\x40"), "?");  // GBK only
}

TEST(SevenBitCharsets, Iso2022JpBecomesEucJp) {
    EXPECT_EQ(platform::iso2022JpToEucJp(kNihongoJis), kNihongoEucJp);
    EXPECT_EQ(platform::iso2022JpToEucJp("\x1B(I6@\x1B(B!"), "\x8E\xB6\x8E\xC0!");
    EXPECT_EQ(platform::iso2022JpToEucJp("a\x0E\x36\x0F" "b"), "a\x8E\xB6" "b");
    EXPECT_EQ(platform::iso2022JpToEucJp("\x1B$(D\x22\x2F\x1B(B"), "\x8F\xA2\xAF");
    EXPECT_FALSE(platform::iso2022JpToEucJp("\x1B$Z"));
    EXPECT_FALSE(platform::iso2022JpToEucJp("\x1B$BF"));
    EXPECT_FALSE(platform::iso2022JpToEucJp("\xC6\xFC"));
    // The rewriting agrees with a real ISO-2022-JP decoder.
    const std::string mixed = "x\x1B$B$3$s$K$A$O\x1B(B y";
    EXPECT_EQ(convertCharset(*platform::iso2022JpToEucJp(mixed), "EUC-JP", "UTF-8"),
              convertCharset(mixed, "ISO-2022-JP", "UTF-8"));
}
