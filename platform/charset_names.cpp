#include "platform/charset_names.h"

#include <cctype>

namespace platform {
namespace {

struct Alias {
    const char* label;
    const char* canonical;
};

// Labels are compared in lower case. GB2312 mail routinely carries GBK
// characters, so its labels decode as the superset, as mail clients do.
const Alias kAliases[] = {
    {"utf-8", "UTF-8"},          {"utf8", "UTF-8"},
    {"utf-7", "UTF-7"},          {"utf7", "UTF-7"},
    {"unicode-1-1-utf-7", "UTF-7"},
    {"gb2312", "CP936"},         {"gbk", "CP936"},
    {"x-gbk", "CP936"},          {"cp936", "CP936"},
    {"ms936", "CP936"},          {"windows-936", "CP936"},
    {"euc-cn", "CP936"},         {"x-euc-cn", "CP936"},
    {"csgb2312", "CP936"},       {"gb_2312-80", "CP936"},
    {"chinese", "CP936"},
    {"gb18030", "GB18030"},
    {"hz-gb-2312", "HZ-GB-2312"}, {"hz", "HZ-GB-2312"},
    {"big5", "CP950"},           {"big-5", "CP950"},
    {"cn-big5", "CP950"},        {"x-x-big5", "CP950"},
    {"csbig5", "CP950"},         {"cp950", "CP950"},
    {"big5-hkscs", "BIG5-HKSCS"},
    {"iso-2022-jp", "ISO-2022-JP"}, {"csiso2022jp", "ISO-2022-JP"},
    {"us-ascii", "US-ASCII"},    {"ascii", "US-ASCII"},
    {"ansi_x3.4-1968", "US-ASCII"}, {"us", "US-ASCII"},
    {"latin1", "ISO-8859-1"},    {"l1", "ISO-8859-1"},
    {"shift_jis", "CP932"},      {"shift-jis", "CP932"},
    {"sjis", "CP932"},           {"x-sjis", "CP932"},
    {"ms_kanji", "CP932"},       {"cp932", "CP932"},
    {"windows-31j", "CP932"},
    {"euc-jp", "EUC-JP"},        {"x-euc-jp", "EUC-JP"},
    {"euc-kr", "CP949"},         {"ks_c_5601-1987", "CP949"},
    {"cp949", "CP949"},
    {"koi8-r", "KOI8-R"},        {"koi8-u", "KOI8-U"},
};

std::string lowerTrimmed(const std::string& name) {
    const auto first = name.find_first_not_of(" \t\r\n\"");
    if (first == std::string::npos) return std::string();
    const auto last = name.find_last_not_of(" \t\r\n\"");
    std::string result = name.substr(first, last - first + 1);
    for (char& c : result) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return result;
}

// The number after `prefix` when the rest of the label is only digits.
std::optional<int> numberAfter(const std::string& label, const std::string& prefix) {
    if (label.size() <= prefix.size() || label.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
    int number = 0;
    for (std::size_t i = prefix.size(); i < label.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(label[i])) || number > 1000) return std::nullopt;
        number = number * 10 + (label[i] - '0');
    }
    return number;
}

std::optional<std::string> isoLatinName(const std::string& label) {
    for (const char* prefix : {"iso-8859-", "iso8859-", "iso_8859-", "iso8859"}) {
        const auto part = numberAfter(label, prefix);
        // ISO-8859-12 was never published.
        if (part && *part >= 1 && *part <= 16 && *part != 12) return "ISO-8859-" + std::to_string(*part);
    }
    return std::nullopt;
}

std::optional<std::string> windowsName(const std::string& label) {
    for (const char* prefix : {"windows-", "cp", "x-cp"}) {
        const auto page = numberAfter(label, prefix);
        if (page && *page >= 1250 && *page <= 1258) return "WINDOWS-" + std::to_string(*page);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> canonicalCharsetName(const std::string& name) {
    const std::string label = lowerTrimmed(name);
    if (label.empty() || label == "acp") return std::string(kLocalCodePage);
    for (const Alias& alias : kAliases) {
        if (label == alias.label) return std::string(alias.canonical);
    }
    if (auto latin = isoLatinName(label)) return latin;
    return windowsName(label);
}

}  // namespace platform
