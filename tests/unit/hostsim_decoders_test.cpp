#include <gtest/gtest.h>

#include <string>

#include "tools/hostsim/converters.h"

namespace {

// Each decoder's forms agree: into a fresh text, over the encoded text
// itself, and over pieces of it, as a file is decoded (`split` says where
// a piece may end).
template <std::string (*Fresh)(std::string_view), typename InPlace, typename Pieces>
std::string everyForm(std::string_view encoded, InPlace&& decodeInPlace, Pieces&& decodeInPieces) {
    std::string inPlace(encoded);
    inPlace.resize(decodeInPlace(inPlace.data(), inPlace.size()));
    std::string fresh = Fresh(encoded);
    EXPECT_EQ(inPlace, fresh) << encoded;
    for (std::size_t split = 0; split <= encoded.size(); ++split) {
        std::string text(encoded);
        EXPECT_EQ(decodeInPieces(text, split), fresh) << encoded << " split at " << split;
    }
    return fresh;
}

std::string decodeBase64(std::string_view encoded) {
    return everyForm<hostsim::decodeBase64>(
        encoded, [](char* text, std::size_t size) { return hostsim::Base64Decoder().decode(text, size, text); },
        [](std::string& text, std::size_t split) {
            hostsim::Base64Decoder decoder;
            const std::size_t first = decoder.decode(text.data(), split, text.data());
            const std::size_t second = decoder.decode(text.data() + split, text.size() - split, text.data() + first);
            return text.substr(0, first + second);
        });
}
std::string allBytes() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    return bytes;
}

// Decoded into characters at once, as decoding and then converting would;
// not at once only where the conversion fails or a byte is written unencoded.
void expectCharactersAtOnce(std::string_view encoded, const std::string& decoded) {
    for (const char* charset : {"ISO-8859-1", "windows-1252", "KOI8-R"}) {
        const platform::ByteCharacters* table = platform::byteCharacters(charset, "UTF-8");
        ASSERT_NE(table, nullptr) << charset;
        std::string converted = decoded;
        const bool convertible = platform::convertCharsetInPlace(converted, charset, "UTF-8");
        const auto atOnce = hostsim::decodeQuotedPrintableAsCharacters(encoded, *table);
        const bool unencoded8Bit = encoded.find_first_of(allBytes().substr(0x80)) != std::string_view::npos;
        EXPECT_EQ(atOnce.has_value(), convertible && !unencoded8Bit) << charset << ": " << encoded;
        if (atOnce) {
            EXPECT_EQ(*atOnce, converted) << charset << ": " << encoded;
        }
    }
}

std::string decodeQuotedPrintable(std::string_view encoded) {
    expectCharactersAtOnce(encoded, hostsim::decodeQuotedPrintable(encoded));
    return everyForm<hostsim::decodeQuotedPrintable>(
        encoded, [](char* text, std::size_t size) { return hostsim::decodeQuotedPrintableInPlace(text, size); },
        [](std::string& text, std::size_t split) {
            // Pieces end after a line feed.
            const std::size_t lineEnd = text.rfind('\n', split == 0 ? 0 : split - 1);
            const std::size_t cut = split == 0 || lineEnd == std::string::npos ? 0 : lineEnd + 1;
            const std::size_t first = hostsim::decodeQuotedPrintableInPlace(text.data(), cut);
            std::string rest = text.substr(cut);
            const std::size_t second = hostsim::decodeQuotedPrintableInPlace(rest.data(), rest.size());
            return text.substr(0, first) + rest.substr(0, second);
        });
}

const char* const kAllBytesBase64 =
    "AAECAwQFBgcICQoLDA0ODxAREhMUFRYXGBkaGxwdHh8gISIjJCUmJygpKissLS4vMDEyMzQ1Njc4OTo7PD0+P0BBQkNERUZHSElKS0xNTk9Q\r\n"
    "UVJTVFVWV1hZWltcXV5fYGFiY2RlZmdoaWprbG1ub3BxcnN0dXZ3eHl6e3x9fn+AgYKDhIWGh4iJiouMjY6PkJGSk5SVlpeYmZqbnJ2en6Ch\r\n"
    "oqOkpaanqKmqq6ytrq+wsbKztLW2t7i5uru8vb6/wMHCw8TFxsfIycrLzM3Oz9DR0tPU1dbX2Nna29zd3t/g4eLj5OXm5+jp6uvs7e7v8PHy\r\n"
    "8/T19vf4+fr7/P3+/w==\r\n";

}  // namespace

TEST(HostsimBase64, DecodesEveryByteAcrossLineBreaks) {
    EXPECT_EQ(decodeBase64(kAllBytesBase64), allBytes());
}

// Sixteen or thirty-two characters are decoded at once where they allow it:
// a character to skip or padding anywhere in such a run changes nothing, or
// ends the data.
TEST(HostsimBase64, StrayCharacterOrPaddingAtEveryOffsetOfARun) {
    const std::string run = std::string(kAllBytesBase64, 96);
    const std::string bytes = allBytes().substr(0, 72);
    const std::string strays[] = {"\r\n", " ", "*", "\x80", std::string(1, '\0')};
    for (std::size_t at = 0; at <= run.size(); ++at) {
        for (const std::string& stray : strays) {
            EXPECT_EQ(decodeBase64(std::string(run).insert(at, stray)), bytes) << "at " << at;
        }
        EXPECT_EQ(decodeBase64(std::string(run).insert(at, "=")), bytes.substr(0, at * 6 / 8)) << "at " << at;
    }
}

TEST(HostsimBase64, PaddingAndPartialQuanta) {
    EXPECT_EQ(decodeBase64("TWFu"), "Man");
    EXPECT_EQ(decodeBase64("TWE="), "Ma");
    EXPECT_EQ(decodeBase64("TQ=="), "M");
    EXPECT_EQ(decodeBase64("TWE"), "Ma");  // padding left out
    EXPECT_EQ(decodeBase64(""), "");
    EXPECT_EQ(decodeBase64("T"), "");  // a lone sextet carries no whole byte
}

TEST(HostsimBase64, StopsAtPaddingAndSkipsNoise) {
    EXPECT_EQ(decodeBase64("TWE=TWFu"), "Ma");
    EXPECT_EQ(decodeBase64(" T W\tF u\n"), "Man");
    EXPECT_EQ(decodeBase64("TW*F!u"), "Man");
    const std::string nul = decodeBase64("AAA=");
    EXPECT_EQ(nul, std::string(2, '\0'));
}

TEST(HostsimQuotedPrintable, EscapesInBothCasesAndBinaryBytes) {
    EXPECT_EQ(decodeQuotedPrintable("Caf=E9 cr=e8me"), "Caf\xE9 cr\xE8me");
    EXPECT_EQ(decodeQuotedPrintable("a=00b=FF"), std::string("a\0b\xFF", 4));
    EXPECT_EQ(decodeQuotedPrintable("=3D=3d"), "==");
}

TEST(HostsimQuotedPrintable, SoftBreaksJoinLines) {
    EXPECT_EQ(decodeQuotedPrintable("long=\r\nline"), "longline");
    EXPECT_EQ(decodeQuotedPrintable("long=\nline"), "longline");
    EXPECT_EQ(decodeQuotedPrintable("long= \t\r\nline"), "longline");  // padding after the "="
    EXPECT_EQ(decodeQuotedPrintable("end="), "end");
}

TEST(HostsimQuotedPrintable, HardBreaksAndTrailingWhiteSpace) {
    EXPECT_EQ(decodeQuotedPrintable("one  \r\ntwo\t\nthree "), "one\r\ntwo\nthree");
    EXPECT_EQ(decodeQuotedPrintable("kept=20\r\n"), "kept \r\n");  // encoded space is data
    EXPECT_EQ(decodeQuotedPrintable("\r\n\r\n"), "\r\n\r\n");
}

TEST(HostsimQuotedPrintable, EscapesAndEightBitBytesAtEveryOffsetOfAWordOrBlock) {
    const std::string line = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN";
    for (const char* inserted : {"=E9", "=81", "=3D", "=4", "\xE9", "= "}) {
        for (std::size_t at = 0; at <= line.size(); ++at) {
            const std::string text = line.substr(0, at) + inserted + line.substr(at);
            decodeQuotedPrintable(text + "\r\n" + text + "=\r\n" + text);
        }
    }
}

TEST(HostsimQuotedPrintable, InvalidEscapesStayAsWritten) {
    EXPECT_EQ(decodeQuotedPrintable("a=ZZb"), "a=ZZb");
    EXPECT_EQ(decodeQuotedPrintable("a=4"), "a=4");
    EXPECT_EQ(decodeQuotedPrintable("1+1=2"), "1+1=2");
    EXPECT_EQ(decodeQuotedPrintable("x==\r\ny"), "x=y");
}
