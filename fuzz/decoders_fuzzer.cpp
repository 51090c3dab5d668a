// The decoders that run on untrusted mail: the host stand-in's base64,
// quoted-printable and encoded words (through BKA_MIMEHeader as well, with
// its buffer), the RFC 2231 parameter values of attachment and picture
// names, and the charset conversion under them. Input: two bytes choosing
// the source and target charsets from kCharsets, then the text. Nothing may
// crash or leak, every host block must be given back, no decoder may write
// more than its input allows, and a conversion into UTF-8 must give UTF-8.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "mime/extended_parameter.h"
#include "platform/charset_convert.h"
#include "platform/host_api.h"
#include "tools/hostsim/converters.h"
#include "tools/hostsim/sim_host.h"

namespace {

const char* const kCharsets[] = {"UTF-8",     "UTF-7",  "GB2312", "GB18030", "HZ-GB-2312", "BIG5",
                                 "ISO-2022-JP", "ISO-8859-1", "windows-1252", "Shift_JIS", "EUC-JP",
                                 "EUC-KR",    "KOI8-R", "US-ASCII", "ACP",     "x-unknown"};
constexpr std::size_t kCharsetCount = sizeof kCharsets / sizeof kCharsets[0];

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "decoders_fuzzer: %s\n", what.c_str());
    std::abort();
}

// The length of the UTF-8 sequence that `lead` begins; 0 when none does.
std::size_t sequenceLength(unsigned char lead) {
    if (lead < 0x80) return 1;
    if (lead < 0xC2 || lead > 0xF4) return 0;
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
}

bool isUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(static_cast<unsigned char>(text[i]));
        if (length == 0 || i + length > text.size()) return false;
        for (std::size_t k = 1; k < length; ++k) {
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        }
        i += length;
    }
    return true;
}

// Base64 one character at a time, as the decoder is meant to read it: only
// the alphabet counts, and the first "=" ends the data.
std::string slowBase64(const std::string& text) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    unsigned bits = 0;
    int count = 0;
    for (const char c : text) {
        if (c == '=') break;
        const std::size_t sextet = kAlphabet.find(c);
        if (c == '\0' || sextet == std::string::npos) continue;
        bits = (bits << 6 | static_cast<unsigned>(sextet)) & 0xFFFFFF;
        count += 6;
        if (count >= 8) {
            count -= 8;
            out += static_cast<char>(bits >> count & 0xFF);
        }
    }
    return out;
}

// In two pieces split at `split`, the second decoded over itself.
std::string base64InPieces(std::string text, std::size_t split) {
    split = std::min(split, text.size());
    hostsim::Base64Decoder decoder;
    std::string out(split, '\0');
    out.resize(decoder.decode(text.data(), split, out.data()));
    char* rest = text.data() + split;
    return out + std::string(rest, decoder.decode(rest, text.size() - split, rest));
}

void exerciseHostFunctions(const std::string& text) {
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    hostApi().BKA_MIMEHeader(text.c_str(), buffer, 8, 0);
    if (std::memchr(buffer, '\0', 8) == nullptr || buffer[8] != 'x') fail("BKA_MIMEHeader wrote past its buffer");
    if (!hostApi().BKA_MIMEHeader(text.c_str(), nullptr, 0, 0)) fail("BKA_MIMEHeader returned no text");
    hostApi().BKA_UTF_8(text.c_str(), 1);
    hostApi().BKA_UTF_7(text.c_str(), 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::string from = kCharsets[data[0] % kCharsetCount];
    const std::string to = kCharsets[data[1] % kCharsetCount];
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);

    hostsim::simHost().reset();
    hostsim::installSimulatedHost();
    hostsim::simHost().localCodePage = to;
    platform::setLocalCodePage(to);

    const std::string base64 = hostsim::decodeBase64(text);
    if (base64 != slowBase64(text)) fail("base64 differs from decoding one character at a time");
    if (base64InPieces(text, data[0] * 7u + data[1]) != base64) fail("base64 in two pieces differs from at once");
    const std::string quotedPrintable = hostsim::decodeQuotedPrintable(text);
    if (quotedPrintable.size() > text.size()) fail("quoted-printable output longer than input");
    std::string overItself = text;
    overItself.resize(hostsim::decodeQuotedPrintableInPlace(overItself.data(), overItself.size()));
    if (overItself != quotedPrintable) fail("quoted-printable decoded over itself differs from a fresh copy");
    if (const platform::ByteCharacters* table = platform::byteCharacters(from, to)) {
        std::string converted = quotedPrintable;
        const bool convertible = platform::convertCharsetInPlace(converted, from, to);
        const auto atOnce = hostsim::decodeQuotedPrintableAsCharacters(text, *table);
        if (atOnce && (!convertible || *atOnce != converted)) {
            fail("quoted-printable decoded into characters differs from decoding, then converting");
        }
        const bool sevenBit = std::none_of(text.begin(), text.end(), [](char c) { return (c & 0x80) != 0; });
        if (!atOnce && convertible && sevenBit) fail("quoted-printable of 7-bit text not decoded into characters");
    }
    const std::string words = hostsim::decodeEncodedWords(text, to);
    if (to == "UTF-8" && isUtf8(text) && !isUtf8(words)) {
        fail("encoded words decoded into UTF-8 are not UTF-8");
    }
    if (const auto converted = platform::convertCharset(text, from, to)) {
        if (to == "UTF-8" && !isUtf8(*converted)) fail("conversion into UTF-8 gave something else");
    }

    if (const auto parameter = extendedParameter(text)) {
        if (parameter->bytes.size() > text.size()) fail("extended parameter longer than its header");
    }
    decodedParameterValue(text, text, [](const std::string& raw) { return raw; });

    exerciseHostFunctions(text);
    if (hostsim::simHost().outstandingBlocks() != 0) fail("host blocks not given back");
    if (hostsim::simHost().invalidFrees() != 0) fail("unknown blocks given back");
    return 0;
}
