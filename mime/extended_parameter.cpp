#include "mime/extended_parameter.h"

#include <map>

#include "mime/mime_part.h"
#include "platform/charset_convert.h"
#include "text/no_case.h"

namespace {

// Section numbers of more digits are no real continuation; ignoring them
// keeps a hostile number from standing for a gap that is never filled.
constexpr std::size_t kMaxSectionDigits = 4;

struct ExtendedName {
    std::string_view base;            // "filename"
    std::optional<unsigned> section;  // none for "filename*"
    bool encoded = false;             // the name ends in "*"
};

// The pair's own name is the last token of what parseParameter gives as its
// name (earlier tokens such as "attachment;" belong to it).
std::string_view lastToken(std::string_view name) {
    const std::size_t end = name.find_last_not_of(" \t\r\n");
    if (end == std::string_view::npos) return {};
    name = name.substr(0, end + 1);
    const std::size_t separator = name.find_last_of(" \t\r\n;");
    return separator == std::string_view::npos ? name : name.substr(separator + 1);
}

std::optional<ExtendedName> parseExtendedName(std::string_view pairName) {
    std::string_view token = lastToken(pairName);
    ExtendedName name;
    if (!token.empty() && token.back() == '*') {
        name.encoded = true;
        token.remove_suffix(1);
    }
    const std::size_t lastNonDigit = token.find_last_not_of("0123456789");
    const std::size_t digits = lastNonDigit == std::string_view::npos ? 0 : token.size() - lastNonDigit - 1;
    if (digits > 0 && token[lastNonDigit] == '*') {
        if (digits > kMaxSectionDigits) return std::nullopt;
        unsigned section = 0;
        for (const char digit : token.substr(lastNonDigit + 1)) {
            section = section * 10 + static_cast<unsigned>(digit - '0');
        }
        name.section = section;
        token = token.substr(0, lastNonDigit);
    } else if (!name.encoded) {
        return std::nullopt;  // the plain form
    }
    if (token.empty()) return std::nullopt;
    name.base = token;
    return name;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A "%" not followed by two hex digits stays as written.
void appendPercentDecoded(std::string_view text, std::string& out) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
}

struct Section {
    std::string_view value;
    bool encoded;
};

// The first section: charset'language'text when percent-encoded. Without
// both quote marks the whole value is the text and no charset is named.
ExtendedParameter decodeFirstSection(const Section& section) {
    ExtendedParameter parameter;
    if (!section.encoded) {
        parameter.bytes.assign(section.value);
        return parameter;
    }
    std::string_view text = section.value;
    parameter.charset.emplace();
    const std::size_t first = text.find('\'');
    const std::size_t second = first == std::string_view::npos ? first : text.find('\'', first + 1);
    if (second != std::string_view::npos) {
        parameter.charset->assign(text.substr(0, first));
        text.remove_prefix(second + 1);
    }
    appendPercentDecoded(text, parameter.bytes);
    return parameter;
}

}  // namespace

std::optional<ExtendedParameter> extendedParameter(std::string_view headerValueText) {
    const auto first = parseParameter(headerValueText);
    if (!first) return std::nullopt;
    const auto firstName = parseExtendedName(first->name);
    if (!firstName) return std::nullopt;
    if (!firstName->section) return decodeFirstSection({first->value, true});

    // Sections may come in any order; the first of a repeated number counts.
    std::map<unsigned, Section> sections;
    sections.emplace(*firstName->section, Section{first->value, firstName->encoded});
    for (std::size_t position = first->next;;) {
        const auto pair = parseParameter(headerValueText, position);
        if (!pair || pair->next <= position) break;
        position = pair->next;
        const auto name = parseExtendedName(pair->name);
        if (name && name->section && equalNoCase(name->base, firstName->base)) {
            sections.emplace(*name->section, Section{pair->value, name->encoded});
        }
    }
    auto section = sections.find(0);
    if (section == sections.end()) return std::nullopt;
    ExtendedParameter parameter = decodeFirstSection(section->second);
    for (unsigned number = 1; (section = sections.find(number)) != sections.end(); ++number) {
        if (section->second.encoded) {
            appendPercentDecoded(section->second.value, parameter.bytes);
        } else {
            parameter.bytes.append(section->second.value);
        }
    }
    return parameter;
}

std::string decodedParameterValue(std::string_view headerValueText, const std::string& rawValue,
                                  const std::function<std::string(const std::string&)>& decodeWithHost) {
    const auto extended = extendedParameter(headerValueText);
    if (!extended) return decodeWithHost(rawValue);
    if (!extended->charset) return decodeWithHost(extended->bytes);
    // An empty name would mean the local code page itself.
    if (extended->charset->empty()) return extended->bytes;
    const auto converted = platform::convertCharset(extended->bytes, *extended->charset, platform::localCodePage());
    return converted ? *converted : extended->bytes;
}
