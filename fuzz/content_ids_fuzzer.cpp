// Content-id rewriting against the plain entry-by-entry rewriting it
// replaces. Input: fields separated by 0x1E: the HTML, then up to eight
// (id, path) pairs. The two must give the same text, byte for byte.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "mime/inline_images.h"

namespace {

constexpr std::size_t kMaxHtml = 4096;
constexpr std::size_t kMaxEntries = 8;
constexpr std::size_t kMaxField = 64;

bool sameLetter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

// Entry by entry in list order, left to right, the text rebuilt after each
// entry. A reference matches only where its characters are the text's own
// and stood side by side in it: what a replacement inserted is opaque.
std::string entryByEntry(const std::string& html, const ContentIdList& list) {
    struct Character {
        char c;
        long source;  // index in `html`; -1 for an inserted one
    };
    std::vector<Character> text;
    for (std::size_t i = 0; i < html.size(); ++i) text.push_back({html[i], static_cast<long>(i)});
    for (const auto& [id, path] : list) {
        if (id.empty()) continue;
        const std::string reference = "cid:" + id;
        std::vector<Character> rewritten;
        std::size_t at = 0;
        while (at < text.size()) {
            bool found = at + reference.size() <= text.size();
            for (std::size_t j = 0; found && j < reference.size(); ++j) {
                const Character& here = text[at + j];
                found = here.source >= 0 && (j == 0 || here.source == text[at + j - 1].source + 1) &&
                        sameLetter(here.c, reference[j]);
            }
            if (!found) {
                rewritten.push_back(text[at++]);
                continue;
            }
            for (const char c : path) rewritten.push_back({c, -1});
            at += reference.size();
        }
        text.swap(rewritten);
    }
    std::string result;
    for (const Character& here : text) result += here.c;
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= input.size() && fields.size() < 1 + 2 * kMaxEntries) {
        const std::size_t end = std::min(input.find('\x1E', start), input.size());
        fields.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    std::string html = fields[0].substr(0, kMaxHtml);
    ContentIdList list;
    for (std::size_t i = 1; i + 1 < fields.size(); i += 2) {
        list.emplace_back(fields[i].substr(0, kMaxField), fields[i + 1].substr(0, kMaxField));
    }
    const std::string expected = entryByEntry(html, list);
    rewriteContentIds(html, list);
    if (html != expected) {
        std::fprintf(stderr, "content_ids_fuzzer: rewritten\n  %s\nbut entry by entry\n  %s\n", html.c_str(),
                     expected.c_str());
        std::abort();
    }
    return 0;
}
