#include "tools/torvane/template_check.h"

#include <boost/regex.hpp>

#include <algorithm>
#include <cctype>
#include <cstring>

#include "template/date_pattern.h"

namespace torvane {
namespace {

// Placeholders with brace arguments, as the renderer matches them.
struct BracedForm {
    const char* name;
    int braces;  // pairs of braces the placeholder takes
};
constexpr BracedForm kBracedForms[] = {{"CETXT", 2}, {"LH", 1}, {"LV", 1}, {"G", 1}, {"h", 1}, {"D", 1}};
constexpr const char* kSimpleLetters = "fnatdiIsSNARmF";

class Scanner {
public:
    explicit Scanner(const std::string& html) : html_(html) {}

    TemplateCheck run() {
        for (std::size_t at = html_.find('%'); at != std::string::npos; at = html_.find('%', at)) {
            at = examine(at);
        }
        static const boost::regex textElement("\\bid[[:space:]]*=[[:space:]]*([\"']?)torvane_text_id\\1(?![-_[:alnum:]])",
                                              boost::regex::perl | boost::regex::icase);
        check_.hasTextElement = boost::regex_search(html_, textElement);
        return check_;
    }

private:
    // The text is examined from front to back, so lines are counted once
    // and each "}" is looked for once: a template of many placeholders, or
    // of many unclosed ones, costs no scan of the rest of it for each.
    int lineOf(std::size_t position) {
        if (position < countedTo_) {
            countedTo_ = 0;
            lines_ = 1;
        }
        lines_ += static_cast<int>(std::count(html_.begin() + static_cast<std::ptrdiff_t>(countedTo_),
                                              html_.begin() + static_cast<std::ptrdiff_t>(position), '\n'));
        countedTo_ = position;
        return lines_;
    }

    std::size_t closingBraceFrom(std::size_t from) {
        if (from < closeFrom_ || (close_ != std::string::npos && close_ < from)) close_ = html_.find('}', from);
        closeFrom_ = from;
        return close_;
    }

    void warn(std::size_t at, std::size_t length, const std::string& note) {
        check_.warnings.push_back({lineOf(at), at, html_.substr(at, length), note});
    }

    void found(std::size_t at, std::size_t length) {
        check_.placeholders.push_back({lineOf(at), at, html_.substr(at, length), std::string()});
    }

    bool startsWith(std::size_t at, const char* word) const {
        return html_.compare(at, std::strlen(word), word) == 0;
    }

    // The end of `pairs` brace arguments starting at `at`, or npos when the
    // braces are not all there. `complete` counts the pairs that closed. With
    // `nested`, a %CETXT inside an argument is taken whole: the renderer fills
    // %CETXT before any other placeholder, so "%D{%CETXT{a}{b}}" is one %D.
    std::size_t braceArguments(std::size_t at, int pairs, int& complete, bool nested) {
        complete = 0;
        for (int i = 0; i < pairs; ++i) {
            if (at >= html_.size() || html_[at] != '{') return std::string::npos;
            std::size_t from = at + 1;
            std::size_t close = closingBraceFrom(from);
            while (close != std::string::npos) {
                const void* reopen = std::memchr(html_.data() + from, '{', close - from);
                if (!reopen) break;
                from = nested ? charsetTextEnd(static_cast<std::size_t>(static_cast<const char*>(reopen) - html_.data()))
                              : std::string::npos;
                if (from == std::string::npos) return std::string::npos;
                close = closingBraceFrom(from);
            }
            if (close == std::string::npos) return std::string::npos;
            ++complete;
            at = close + 1;
        }
        return at;
    }

    // The end of the %CETXT whose arguments open at `brace`, or npos. Its own
    // arguments cannot hold another: the first "}" ends them.
    std::size_t charsetTextEnd(std::size_t brace) {
        static const std::string name = "%CETXT";
        const bool named = brace >= name.size() && html_.compare(brace - name.size(), name.size(), name) == 0;
        // "%%CETXT" is literal text, and its braces then end the outer argument.
        if (!named || (brace > name.size() && html_[brace - name.size() - 1] == '%')) return std::string::npos;
        int complete = 0;
        return braceArguments(brace, 2, complete, false);
    }

    // Looks at the "%" at `at`; returns where scanning goes on.
    std::size_t examine(std::size_t at) {
        const std::size_t next = at + 1;
        if (next >= html_.size()) return next;
        if (html_[next] == '%') return examineEscape(at);
        for (const BracedForm& form : kBracedForms) {
            if (!startsWith(next, form.name)) continue;
            const std::size_t argumentsAt = next + std::strlen(form.name);
            int complete = 0;
            const bool mayHoldCharsetText = std::strcmp(form.name, "CETXT") != 0;
            const std::size_t end = braceArguments(argumentsAt, form.braces, complete, mayHoldCharsetText);
            if (end != std::string::npos) {
                found(at, end - at);
                if (std::strcmp(form.name, "D") == 0) checkDatePattern(at, argumentsAt + 1, end - 1);
                return end;
            }
            const bool opened = argumentsAt < html_.size() && html_[argumentsAt] == '{';
            if (form.braces == 2 && complete == 1) {
                warn(at, std::min<std::size_t>(html_.size(), closingBraceFrom(argumentsAt) + 1) - at,
                     "%CETXT takes two pairs of braces; with one it stays as written");
                return argumentsAt;
            }
            if (opened) {
                warn(at, std::min<std::size_t>(html_.size() - at, std::strlen(form.name) + 12),
                     "unbalanced braces: the placeholder is not recognised");
                return argumentsAt;
            }
            if (!isUrlEscape(next)) {
                warn(at, argumentsAt - at,
                     std::string("%") + form.name + " needs braces; without them it stays as written");
            }
            return argumentsAt;
        }
        const char letter = html_[next];
        if (letter == 'F') return examineFirstName(at);
        if (std::strchr(kSimpleLetters, letter) && letter != '\0') {
            found(at, 2);
            return next + 1;
        }
        if (std::isalpha(static_cast<unsigned char>(letter)) && !isUrlEscape(next)) {
            warn(at, 2, std::string("unknown placeholder '%") + letter + "': it stays as written");
        }
        return next;
    }

    // %F, or %F{fallback} when its braces close; "%F0" (a link's escape) is
    // no placeholder, as in the renderer.
    std::size_t examineFirstName(std::size_t at) {
        const std::size_t next = at + 1;
        if (isUrlEscape(next)) return next;
        int complete = 0;
        const std::size_t end = braceArguments(next + 1, 1, complete, true);
        if (end != std::string::npos) {
            found(at, end - at);
            return end;
        }
        found(at, 2);
        return next + 1;
    }

    // Two hex digits after a "%", as in a link ("%D0%B0"), are no placeholder.
    bool isUrlEscape(std::size_t at) const {
        return at + 1 < html_.size() && std::isxdigit(static_cast<unsigned char>(html_[at])) &&
               std::isxdigit(static_cast<unsigned char>(html_[at + 1]));
    }

    // The pattern of a %D between `begin` and `end`, in both variants of the
    // %CETXT it may hold.
    void checkDatePattern(std::size_t at, std::size_t begin, std::size_t end) {
        static const boost::regex charsetText("%CETXT[{]([^}]*)[}][{]([^}]*)[}]");
        const std::string pattern = html_.substr(begin, end - begin);
        for (const char* variant : {"$1", "$2"}) {
            if (findUnterminatedQuote(boost::regex_replace(pattern, charsetText, variant)) != std::string_view::npos) {
                warn(at, end + 1 - at, "the date pattern opens a quote that nothing closes: the rest is literal");
                return;
            }
        }
    }

    // "%%" renders as "%". Followed by what would be a placeholder, it shows
    // that placeholder's name literally, which is rarely meant.
    std::size_t examineEscape(std::size_t at) {
        const std::size_t after = at + 2;
        if (after < html_.size()) {
            const char letter = html_[after];
            bool placeholderFollows = std::strchr(kSimpleLetters, letter) && letter != '\0';
            for (const BracedForm& form : kBracedForms) placeholderFollows = placeholderFollows || startsWith(after, form.name);
            if (placeholderFollows) {
                warn(at, 3, std::string("'%%") + letter + "' renders as the literal text '%" + letter +
                                "'; write a single '%' for the placeholder");
            }
        }
        return after;
    }

    const std::string& html_;
    TemplateCheck check_;
    std::size_t countedTo_ = 0;
    int lines_ = 1;
    std::size_t close_ = std::string::npos;
    std::size_t closeFrom_ = std::string::npos;
};

}  // namespace

TemplateCheck checkTemplateHtml(const std::string& html) { return Scanner(html).run(); }

}  // namespace torvane
