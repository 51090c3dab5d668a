// Text as mail really labels it, and what both platforms' converters must
// make of it: the same on Windows and on Linux. Shared by the native unit
// tests and the wine tests.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/host_api.h"
#include "tools/hostsim/converters.h"

namespace mail_text_cases {

struct Case {
    const char* text;
    const char* from;
    std::optional<std::string> utf8;  // none: not text in `from` at all
};

// Bodies labelled US-ASCII that hold 8-bit bytes: UTF-8 where valid, else windows-1252.
// UTF-7 is 7-bit and its shifted runs end cleanly; anything else is not UTF-7
// (text already converted, a "+00:00" in a date) and is left to the caller.
inline const Case kLabelledText[] = {
    {"plain ascii", "us-ascii", std::string("plain ascii")},
    {"Envoy\xE9 par le service", "us-ascii", std::string("Envoy\xC3\xA9 par le service")},
    {"Envoy\xC3\xA9 par le service", "US-ASCII", std::string("Envoy\xC3\xA9 par le service")},
    {"\x93q\x94 \x80", "us-ascii", std::string("\xE2\x80\x9Cq\xE2\x80\x9D \xE2\x82\xAC")},
    {"J+APw-rgen 1+ACs-1 +-", "UTF-7", std::string("J\xC3\xBCrgen 1+1 +")},
    {"J\xC3\xBCrgen", "UTF-7", std::nullopt},
    {"(UTC+00:00)", "utf-7", std::nullopt},
};

// Header text outside encoded words, raw 8-bit: read as UTF-8 where valid,
// else in the message's charset, else windows-1252.
struct RawHeaderCase {
    const char* text;
    const char* messageCharset;
    const char* utf8;
};

inline const RawHeaderCase kRawHeaders[] = {
    {"J\xC3\xBCrgen Schm\xC3\xBCrgen <js@example.de>", "iso-8859-1", "J\xC3\xBCrgen Schm\xC3\xBCrgen <js@example.de>"},
    {"J\xFCrgen <js@example.de>", "", "J\xC3\xBCrgen <js@example.de>"},
    {"Fr\xF6sche.txt", "", "Fr\xC3\xB6sche.txt"},
    {"\xF0\xD2\xC9\xD7\xC5\xD4 =?UTF-8?Q?caf=C3=A9?=", "koi8-r", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 caf\xC3\xA9"},
};

// Files larger than the host's converters read at once, decoded into
// another file and over themselves: base64 whose lines split groups of four,
// quoted-printable with a line longer than a piece and an escape cut at the
// end. The decoded text is that of the whole text at once.
struct LargeFileCase {
    hostfn::ConvertFile convert;
    std::string encoded;
    std::string decoded;
};

inline std::vector<LargeFileCase> largeFileCases() {
    std::string base64;
    for (int i = 0; base64.size() < 900000; ++i) {
        base64 += std::string(77, "ABCDwxyz0189+/"[i % 14]) + (i % 5 ? "\r\n" : "\n");
    }
    base64 += "QUJD=ignored";
    std::string quotedPrintable = "caf=E9 =\r\n" + std::string(400000, 'q') + "=3D\r\n";
    for (int i = 0; quotedPrintable.size() < 900000; ++i) quotedPrintable += "line =" + std::to_string(10 + i % 90) + " \r\n";
    quotedPrintable += "last=";
    return {{hostApi().BKA_B64Convert, base64, hostsim::decodeBase64(base64)},
            {hostApi().BKA_QPConvert, quotedPrintable, hostsim::decodeQuotedPrintable(quotedPrintable)}};
}

}  // namespace mail_text_cases
