#include "template/first_name.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

#include "platform/charset_convert.h"
#include "platform/host_api.h"
#include "platform/host_buffer.h"
#include "template/placeholder_pattern.h"
#include "template/single_pass.h"
#include "text/html_text.h"

namespace {

using Text = std::u32string;

// ---- UTF-8 ---------------------------------------------------------------

// None when `bytes` is not well-formed UTF-8 (then it is in a legacy code page).
std::optional<Text> decodeUtf8(const std::string& bytes) {
    Text text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            text += lead;
            ++i;
            continue;
        }
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        if (lead < 0xC2 || lead > 0xF4 || i + length > bytes.size()) return std::nullopt;
        char32_t point = lead & (0x3F >> (length - 1));
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0) != 0x80) return std::nullopt;
            point = (point << 6) | (next & 0x3F);
        }
        const char32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (point < smallest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return std::nullopt;
        text += point;
        i += length;
    }
    return text;
}

std::string encodeUtf8(const Text& text) {
    std::string bytes;
    for (const char32_t point : text) {
        if (point < 0x80) {
            bytes += static_cast<char>(point);
        } else if (point < 0x800) {
            bytes += static_cast<char>(0xC0 | (point >> 6));
            bytes += static_cast<char>(0x80 | (point & 0x3F));
        } else if (point < 0x10000) {
            bytes += static_cast<char>(0xE0 | (point >> 12));
            bytes += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (point & 0x3F));
        } else {
            bytes += static_cast<char>(0xF0 | (point >> 18));
            bytes += static_cast<char>(0x80 | ((point >> 12) & 0x3F));
            bytes += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
            bytes += static_cast<char>(0x80 | (point & 0x3F));
        }
    }
    return bytes;
}

// ---- characters ----------------------------------------------------------

bool isSpace(char32_t c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200B);
}

// Scripts whose names are said whole: Han, kana, Hangul (and their
// compatibility and extension blocks).
bool isCjk(char32_t c) {
    return (c >= 0x1100 && c <= 0x11FF) || (c >= 0x2E80 && c <= 0x2FDF) || (c >= 0x3040 && c <= 0x31FF) ||
           (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA960 && c <= 0xA97F) ||
           (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF66 && c <= 0xFF9F) ||
           (c >= 0x20000 && c <= 0x3FFFF);
}

// Simple case pairs of the scripts names are most often written in here:
// Latin (Basic, Latin-1, Extended-A), Greek and Cyrillic. Other letters are
// taken as having no case, and are left as they are.
char32_t lowerOf(char32_t c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
    if (c == 0x130) return 'i';
    if (c == 0x178) return 0xFF;
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper) return c % 2 == 1 ? c + 1 : c;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c % 2 == 0 ? c + 1 : c;
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F)) return c + 0x20;
    if (c >= 0x400 && c <= 0x40F) return c + 0x50;
    return c;
}

char32_t upperOf(char32_t c) {
    if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c == 0x131) return 'I';
    if (c == 0xFF) return 0x178;
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper) return c % 2 == 0 ? c - 1 : c;
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c % 2 == 1 ? c - 1 : c;
    if (c == 0x3C2) return 0x3A3;
    if ((c >= 0x3B1 && c <= 0x3C9) || (c >= 0x430 && c <= 0x44F)) return c - 0x20;
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

bool isUpper(char32_t c) { return lowerOf(c) != c; }
bool isLower(char32_t c) { return upperOf(c) != c || c == 0xDF; }

// ASCII letters folded, for comparing with the word lists.
Text asciiLower(Text text) {
    for (char32_t& c : text)
        if (c >= 'A' && c <= 'Z') c += 0x20;
    return text;
}

bool equals(const Text& text, const char* word) {
    return text.size() == std::strlen(word) && std::equal(text.begin(), text.end(), word);
}

template <std::size_t N>
bool inList(const Text& word, const char* const (&list)[N]) {
    const Text folded = asciiLower(word);
    return std::any_of(std::begin(list), std::end(list), [&](const char* entry) { return equals(folded, entry); });
}

Text trimmed(const Text& text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

std::vector<Text> wordsOf(const Text& text) {
    std::vector<Text> words;
    Text word;
    for (const char32_t c : text) {
        if (!isSpace(c)) {
            word += c;
        } else if (!word.empty()) {
            words.push_back(std::move(word));
            word.clear();
        }
    }
    if (!word.empty()) words.push_back(std::move(word));
    return words;
}

// ---- the first mailbox ---------------------------------------------------

struct Mailbox {
    Text name;     // quotes and comments still in it
    Text address;  // empty when there is none
};

// Splits one mailbox: "name <address>", or an address with the name in a
// comment ("alex@example.com (Alex Moreno)"), or a name alone.
Mailbox splitMailbox(const Text& text) {
    Mailbox mailbox;
    bool quoted = false;
    int comments = 0;
    Text outside;   // the text outside quotes and comments
    Text comment;   // the first comment's text
    bool firstComment = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (quoted) {
            if (c == '\\' && i + 1 < text.size()) {
                mailbox.name += text[++i];
                continue;
            }
            if (c == '"') quoted = false;
            mailbox.name += c;
            continue;
        }
        if (comments > 0) {
            if (c == '(') ++comments;
            if (c == ')' && --comments == 0) firstComment = false;
            if (comments > 0 && firstComment) comment += c;
            mailbox.name += c;
            continue;
        }
        if (c == '<') {
            // The name comes before the address.
            const std::size_t close = text.find('>', i);
            mailbox.address = trimmed(text.substr(i + 1, (close == Text::npos ? text.size() : close) - i - 1));
            return mailbox;
        }
        if (c == '"') {
            quoted = true;
        } else if (c == '(') {
            ++comments;
        } else {
            outside += c;
        }
        mailbox.name += c;
    }
    // No angle brackets: an address (its name, if any, in a comment), or a name.
    const Text bare = trimmed(outside);
    if (bare.find('@') != Text::npos && wordsOf(bare).size() == 1) {
        mailbox.address = bare;
        mailbox.name = comment;
    }
    return mailbox;
}

// The first mailbox of an address list. A group ("Team: a@x, b@y;") gives
// its first member; a comma ends a mailbox only after an address, since
// hosts that decode encoded words leave "Moreno, Alex <a@x>" unquoted.
Mailbox firstMailbox(const Text& from) {
    bool quoted = false;
    int comments = 0;
    bool angle = false;
    bool addressSeen = false;
    std::size_t start = 0;
    const auto mailboxUpTo = [&](std::size_t end) { return splitMailbox(from.substr(start, end - start)); };
    for (std::size_t i = 0; i < from.size(); ++i) {
        const char32_t c = from[i];
        if (quoted) {
            if (c == '\\') ++i;
            if (c == '"') quoted = false;
            continue;
        }
        if (comments > 0) {
            if (c == '(') ++comments;
            if (c == ')') --comments;
            continue;
        }
        if (angle) {
            if (c == '>') angle = false;
            continue;
        }
        switch (c) {
        case '"': quoted = true; break;
        case '(': ++comments; break;
        case '<': angle = addressSeen = true; break;
        case '@': addressSeen = true; break;
        case ':':
            // A group's name: its members follow.
            if (!addressSeen) start = i + 1;
            break;
        case ',':
        case ';':
            if (addressSeen || c == ';') {
                Mailbox mailbox = mailboxUpTo(i);
                if (!trimmed(mailbox.name).empty() || !mailbox.address.empty()) return mailbox;
                start = i + 1;
                addressSeen = false;
            }
            break;
        default: break;
        }
    }
    return mailboxUpTo(from.size());
}

// ---- the given name ------------------------------------------------------

constexpr const char* kHonorifics[] = {"mr", "mrs", "ms", "dr", "prof"};
constexpr const char* kSuffixes[] = {"jr", "sr", "ii", "iii", "iv", "phd", "md", "esq", "mba"};
// Local parts that name a mailbox's role, not a person.
constexpr const char* kRoleNames[] = {
    "info",    "noreply",      "no-reply", "no_reply",      "donotreply", "do-not-reply", "support", "sales",
    "admin",   "mailer-daemon", "postmaster", "webmaster", "newsletter", "notifications", "contact", "help",
    "service", "billing",      "office",   "team"};

Text withoutDots(const Text& word) {
    Text result;
    for (const char32_t c : word)
        if (c != '.') result += c;
    return result;
}

bool isHonorific(const Text& word) { return inList(withoutDots(word), kHonorifics); }
bool isSuffix(const Text& word) { return inList(withoutDots(word), kSuffixes); }

// "ALEX" and "alex" become "Alex", "JEAN-PAUL" "Jean-Paul"; a word of mixed
// case ("McKay", "deVries") is kept as written.
Text withNameCase(Text word) {
    bool upper = false;
    bool lower = false;
    for (const char32_t c : word) {
        upper = upper || isUpper(c);
        lower = lower || isLower(c);
    }
    if (upper == lower) return word;  // mixed, or no cased letter
    bool wordStart = true;
    for (char32_t& c : word) {
        c = wordStart ? upperOf(c) : lowerOf(c);
        wordStart = c == '-' || c == '\'' || c == 0x2019;
    }
    return word;
}

// The display name without quotes, comments ("(Sales)", "[Acme]") and a
// mailing list's "via ..." tail.
Text cleanedName(const Text& raw) {
    Text name;
    int depth = 0;
    for (const char32_t c : raw) {
        if (c == '(' || c == '[') {
            ++depth;
        } else if ((c == ')' || c == ']') && depth > 0) {
            --depth;
        } else if (depth == 0 && c != '"') {
            name += c;
        }
    }
    std::vector<Text> words = wordsOf(name);
    for (std::size_t i = 1; i < words.size(); ++i) {
        if (equals(asciiLower(words[i]), "via")) {
            words.resize(i);
            break;
        }
    }
    Text joined;
    for (const Text& word : words) joined += (joined.empty() ? U"" : U" ") + word;
    // Outlook's 'Alex Moreno', and what a comma or semicolon left behind.
    while (!joined.empty() && (joined.front() == '\'' || joined.front() == ',')) joined.erase(0, 1);
    while (!joined.empty() && (joined.back() == '\'' || joined.back() == ',' || joined.back() == ';')) joined.pop_back();
    return trimmed(joined);
}

Text givenNameOf(Text name) {
    if (std::any_of(name.begin(), name.end(), isCjk)) return name;
    // "Moreno, Alex", but "Alex Moreno, PhD".
    const std::size_t comma = name.find(',');
    if (comma != Text::npos) {
        const Text after = trimmed(name.substr(comma + 1));
        const std::vector<Text> afterWords = wordsOf(after);
        name = !afterWords.empty() && !isSuffix(afterWords.front()) ? after : trimmed(name.substr(0, comma));
    }
    std::vector<Text> words = wordsOf(name);
    std::size_t first = 0;
    while (first < words.size() && isHonorific(words[first])) ++first;
    if (first == words.size()) return Text();
    // "Dr. Moreno": one word after a title is a family name, said with it.
    if (first > 0 && first + 1 == words.size()) return withNameCase(words[first - 1]) + U" " + withNameCase(words[first]);
    return withNameCase(words[first]);
}

Text givenNameOfAddress(const Text& address) {
    const std::size_t at = address.rfind('@');
    if (at == Text::npos) return Text();
    Text local = address.substr(0, at);
    local.erase(std::remove(local.begin(), local.end(), U'"'), local.end());
    local = local.substr(0, local.find('+'));  // alex+lists
    if (inList(local, kRoleNames)) return Text();
    Text word = local.substr(0, local.find_first_of(U"._"));
    if (inList(word, kRoleNames)) return Text();
    while (!word.empty() && word.back() >= '0' && word.back() <= '9') word.pop_back();
    // Nothing but digits, or an initial: no name to greet.
    if (word.size() < 2) return Text();
    return withNameCase(word);
}

Text givenName(const Text& from) {
    const Mailbox mailbox = firstMailbox(from);
    Text name = cleanedName(mailbox.name);
    // A display name that is an address ("alex@example.com" <alex@...>).
    if (name.find('@') != Text::npos) name.clear();
    if (!name.empty()) {
        // "Support Team" names a role too.
        Text given = givenNameOf(name);
        if (!given.empty() && !inList(given, kRoleNames)) return given;
    }
    return givenNameOfAddress(mailbox.address);
}

// "&", "<", ">" and '"' as entities: the name is text, whatever it holds.
std::string htmlEscaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return htmlEscapeAngles(escaped);
}

}  // namespace

std::string senderFirstName(const std::string& from, CharsetCode code) {
    if (const std::optional<Text> text = decodeUtf8(from)) return encodeUtf8(givenName(*text));
    // The host's texts under a Chinese charset are GBK or Big5, as the
    // plug-in's own Chinese texts are.
    const std::string codePage =
        code == kCharsetBig5 ? "BIG5" : isChineseCharset(code) ? "GBK" : platform::localCodePage();
    const std::optional<std::string> utf8 = platform::convertCharset(from, codePage, "UTF-8");
    const std::optional<Text> text = utf8 ? decodeUtf8(*utf8) : std::nullopt;
    if (!text) return std::string();
    return platform::convertCharset(encodeUtf8(givenName(*text)), "UTF-8", codePage).value_or(std::string());
}

void registerFirstNamePlaceholder(SinglePass& pass, HostBuffer& buffer, const std::string& from, CharsetCode code) {
    std::string text = from;
    if (text.find("=?") != std::string::npos) {
        buffer.clear();
        hostApi().BKA_MIMEHeader(text.c_str(), buffer.data(), buffer.size(), 0);
        text = buffer.text();
    }
    std::string name = senderFirstName(text, code);
    if (!name.empty()) name = htmlEscaped(convertFromCharset(name, code));
    pass.registerPlaceholderWithFallback(std::move(name),
                                         placeholderPattern("F(?:[{]([^}]*)[}]|(?![0-9A-Fa-f]))"));
}
