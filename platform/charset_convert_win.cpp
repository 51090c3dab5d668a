// Character-set conversion with MultiByteToWideChar / WideCharToMultiByte:
// the source must be valid where the code page can check it; characters the
// target lacks become the code page's default character.
#include <windows.h>

#include <cstring>

#include "platform/charset_names.h"
#include "platform/charset_convert.h"
#include "platform/seven_bit_charsets.h"
#include "platform/single_byte_decoder.h"

namespace platform {
namespace {

struct CodePageName {
    const char* canonical;
    UINT codePage;
};

const CodePageName kCodePages[] = {
    {"UTF-8", CP_UTF8},           {"UTF-7", CP_UTF7},          {"CP936", 936},
    {"GB18030", 54936},           {"HZ-GB-2312", 52936},       {"CP950", 950},
    {"BIG5-HKSCS", 950},          {"ISO-2022-JP", 50220},      {"US-ASCII", 20127},
    {"ISO-8859-1", 28591},        {"ISO-8859-2", 28592},       {"ISO-8859-3", 28593},
    {"ISO-8859-4", 28594},        {"ISO-8859-5", 28595},       {"ISO-8859-6", 28596},
    {"ISO-8859-7", 28597},        {"ISO-8859-8", 28598},       {"ISO-8859-9", 28599},
    {"ISO-8859-13", 28603},       {"ISO-8859-15", 28605},      {"WINDOWS-1250", 1250},
    {"WINDOWS-1251", 1251},       {"WINDOWS-1252", 1252},      {"WINDOWS-1253", 1253},
    {"WINDOWS-1254", 1254},       {"WINDOWS-1255", 1255},      {"WINDOWS-1256", 1256},
    {"WINDOWS-1257", 1257},       {"WINDOWS-1258", 1258},      {"CP932", 932},
    {"EUC-JP", 20932},            {"CP949", 949},              {"KOI8-R", 20866},
    {"KOI8-U", 21866},            {kLocalCodePage, CP_ACP},
};

std::optional<UINT> codePageOf(const std::string& canonical) {
    for (const CodePageName& entry : kCodePages) {
        if (canonical == entry.canonical) return entry.codePage;
    }
    return std::nullopt;
}

// Code pages whose converters take no flags (and cannot report invalid input).
bool takesNoFlags(UINT codePage) {
    return codePage == CP_UTF7 || codePage == 52936 || (codePage >= 50220 && codePage <= 50229);
}

DWORD multiByteFlags(UINT codePage) { return takesNoFlags(codePage) ? 0 : MB_ERR_INVALID_CHARS; }

// Without this a character the code page lacks may become a look-alike that
// means something else in a file name: a full-width solidus a "/".
DWORD wideCharFlags(UINT codePage) {
    if (codePage == CP_ACP) codePage = GetACP();  // which may be UTF-8
    return takesNoFlags(codePage) || codePage == 54936 || codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
}

std::optional<std::wstring> toWide(const std::string& text, UINT codePage) {
    if (text.empty()) return std::wstring();
    const int length = static_cast<int>(text.size());
    const DWORD flags = multiByteFlags(codePage);
    const int count = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (count <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    if (MultiByteToWideChar(codePage, flags, text.data(), length, &wide[0], count) != count) return std::nullopt;
    return wide;
}

std::optional<std::string> fromWide(const std::wstring& wide, UINT codePage) {
    if (wide.empty()) return std::string();
    const int length = static_cast<int>(wide.size());
    const DWORD flags = wideCharFlags(codePage);
    const int count = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, nullptr);
    if (count <= 0) return std::nullopt;
    std::string text(static_cast<std::size_t>(count), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), length, &text[0], count, nullptr, nullptr) != count) {
        return std::nullopt;
    }
    return text;
}

// Systems without the ISO-2022 and HZ code pages (wine among them) and
// without GB18030 get the nearest set they have. `canonical`: the charset
// the text is read as (sourceCharsetOf).
std::optional<std::wstring> decode(const std::string& text, const std::string& canonical) {
    const auto codePage = codePageOf(canonical);
    if (!codePage) return std::nullopt;
    if (*codePage == CP_ACP || IsValidCodePage(*codePage)) return toWide(text, *codePage);
    if (canonical == "HZ-GB-2312") {
        const auto euc = hzToEucCn(text);
        return euc ? toWide(*euc, 936) : std::nullopt;
    }
    if (canonical == "ISO-2022-JP") {
        const auto euc = iso2022JpToEucJp(text);
        return euc ? toWide(*euc, 20932) : std::nullopt;
    }
    if (canonical == "GB18030") return toWide(text, 936);
    return std::nullopt;
}

std::optional<std::string> encode(const std::wstring& wide, const std::string& canonical) {
    const auto codePage = codePageOf(canonical);
    if (!codePage) return std::nullopt;
    if (*codePage == CP_ACP || IsValidCodePage(*codePage)) return fromWide(wide, *codePage);
    if (canonical == "HZ-GB-2312") {
        const auto gbk = fromWide(wide, 936);
        return gbk ? std::optional<std::string>(eucCnToHz(*gbk)) : std::nullopt;
    }
    if (canonical == "GB18030") return fromWide(wide, 936);
    return std::nullopt;
}

}  // namespace

std::optional<SingleByteDecoder::ByteText> systemByteText(const std::string& canonical) {
    const auto codePage = codePageOf(canonical);
    CPINFO info {};
    if (!codePage || *codePage == CP_ACP || !IsValidCodePage(*codePage) || !GetCPInfo(*codePage, &info) ||
        info.MaxCharSize != 1) {
        return std::nullopt;
    }
    return SingleByteDecoder::ByteText([page = *codePage](unsigned char byte) -> std::optional<std::string> {
        const char single = static_cast<char>(byte);
        wchar_t wide = 0;
        if (MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, &single, 1, &wide, 1) != 1) return std::nullopt;
        char utf8[4];
        const int length = WideCharToMultiByte(CP_UTF8, 0, &wide, 1, utf8, sizeof utf8, nullptr, nullptr);
        if (length <= 0) return std::nullopt;
        return std::string(utf8, static_cast<std::size_t>(length));
    });
}

// The local code page "ACP" (or an empty name) is the system's ANSI code page.
std::optional<std::string> convertCharset(const std::string& text, const std::string& from, const std::string& to) {
    const auto source = canonicalCharsetName(from);
    const auto target = canonicalCharsetName(to);
    if (!source || !target) return std::nullopt;
    const auto read = sourceCharsetOf(text, *source);
    if (!read) return std::nullopt;
    // Into UTF-8 without the detour through UTF-16 where the system would
    // give the same bytes: UTF-8 is only checked (the system refuses what
    // isWellFormedUtf8 refuses), a plain single-byte charset is decoded a
    // byte at a time.
    if (*target == "UTF-8") {
        if (*read == "UTF-8") return isWellFormedUtf8(text) ? std::optional<std::string>(text) : std::nullopt;
        if (const SingleByteDecoder* decoder = plainSingleByteDecoder(*read)) return decoder->decode(text);
    }
    const auto wide = decode(text, *read);
    if (!wide) return std::nullopt;
    return encode(*wide, *target);
}

bool convertCharsetInPlace(std::string& text, const std::string& from, const std::string& to) {
    const auto source = canonicalCharsetName(from);
    const auto target = canonicalCharsetName(to);
    if (!source || !target) return false;
    if (*target == "UTF-8") {  // as convertCharset, without a copy
        const auto read = sourceCharsetOf(text, *source);
        if (!read) return false;
        if (*read == "UTF-8") return isWellFormedUtf8(text);
        if (const SingleByteDecoder* decoder = plainSingleByteDecoder(*read)) return decoder->decodeInPlace(text);
    }
    auto converted = convertCharset(text, from, to);
    if (!converted) return false;
    text = std::move(*converted);
    return true;
}

const ByteCharacters* byteCharacters(const std::string& from, const std::string& to) {
    const auto source = canonicalCharsetName(from);
    const auto target = canonicalCharsetName(to);
    if (!source || !target || *target != "UTF-8") return nullptr;
    const SingleByteDecoder* decoder = plainSingleByteDecoder(*source);
    return decoder && decoder->asciiAsItIs() ? &decoder->table() : nullptr;
}

bool systemCodePageLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace platform
