// rewriteContentIds in one pass, whatever the number of pictures. Applying
// the list entry by entry would search the whole text once per picture; a
// message with thousands of tiny pictures would then hold the user's reply
// for minutes. Instead:
//
// 1. One right-to-left scan with an Aho-Corasick automaton over the reversed
//    references ("cid:" + id) finds, at every position, all the references
//    that start there: a chain of ids each a prefix of the next.
// 2. The entries then claim positions in the order the entry-by-entry
//    rewriting would: by list order, then left to right. A position is taken
//    by its first entry (in list order) whose reference is still whole in
//    the text; a reference that runs into text an earlier entry replaced
//    no longer matches, and positions inside a replaced reference are gone.
// 3. The text is rebuilt once.
//
// Text a replacement inserted (a file path) is never searched again, by any
// entry: a reference is rewritten only where its characters stand together
// in the text as it came.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <queue>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "mime/inline_images.h"
#include "platform/find_byte.h"
#include "platform/large_blocks.h"

namespace {

constexpr char kScheme[] = "cid:";
constexpr std::int32_t kNone = -1;

// Letters are compared as std::tolower in the current locale sees them.
class CaseFold {
public:
    CaseFold() {
        for (int c = 0; c < 256; ++c) fold_[c] = static_cast<unsigned char>(std::tolower(c));
    }
    unsigned char operator()(char c) const { return fold_[static_cast<unsigned char>(c)]; }

private:
    unsigned char fold_[256];
};

// The automaton over the reversed, case-folded references. Reading the text
// backwards, the state after reading position i names the longest stretch
// from i on that ends some reference; the references that begin at i are
// that state's terminal node and those reached through `nextTerminal`.
class ReversedReferences {
public:
    struct Node {
        std::int32_t firstChild = kNone;
        std::int32_t nextSibling = kNone;
        std::int32_t fail = 0;
        std::int32_t terminal = kNone;      // this node if a reference ends here, else the nearest one down `fail`
        std::int32_t nextTerminal = kNone;  // the next shorter reference starting at the same position
        std::int32_t entry = kNone;         // first list entry whose reference this is
        std::uint32_t length = 0;           // characters of the reference
        unsigned char character = 0;
    };

    ReversedReferences(const ContentIdList& list, const CaseFold& fold) {
        // At most a node per character: made once at that size, the nodes of
        // thousands of ids are not copied again and again as they grow. Ids
        // that share their ends share nodes: the pages of the unused rest are
        // never touched.
        std::size_t characters = 1;
        for (const auto& entry : list) characters += sizeof kScheme - 1 + entry.first.size();
        nodes_.reserve(characters);
        nodes_.emplace_back();
        std::fill(std::begin(rootChildren_), std::end(rootChildren_), kNone);
        for (std::size_t i = 0; i < list.size(); ++i) {
            // An empty id would turn every reference into this one picture.
            if (list[i].first.empty()) continue;
            const std::string reference = kScheme + list[i].first;
            std::int32_t node = 0;
            for (auto c = reference.rbegin(); c != reference.rend(); ++c) node = childOrNew(node, fold(*c));
            // A later entry with the same reference (any case) finds every
            // one of them taken already.
            if (nodes_[node].entry == kNone) {
                nodes_[node].entry = static_cast<std::int32_t>(i);
                nodes_[node].length = static_cast<std::uint32_t>(reference.size());
            }
            longest_ = std::max(longest_, reference.size());
        }
        linkFailures();
    }

    bool empty() const { return nodes_.size() == 1; }
    // Characters of the longest reference.
    std::size_t longest() const { return longest_; }
    const Node& operator[](std::int32_t node) const { return nodes_[node]; }

    std::int32_t step(std::int32_t state, unsigned char c) const {
        for (;;) {
            const std::int32_t next = child(state, c);
            if (next != kNone) return next;
            if (state == 0) return 0;
            state = nodes_[state].fail;
        }
    }

private:
    std::int32_t child(std::int32_t node, unsigned char c) const {
        if (node == 0) return rootChildren_[c];
        for (std::int32_t at = nodes_[node].firstChild; at != kNone; at = nodes_[at].nextSibling) {
            if (nodes_[at].character == c) return at;
        }
        return kNone;
    }

    std::int32_t childOrNew(std::int32_t node, unsigned char c) {
        const std::int32_t found = child(node, c);
        if (found != kNone) return found;
        const auto added = static_cast<std::int32_t>(nodes_.size());
        nodes_.emplace_back();
        nodes_.back().character = c;
        if (node == 0) {
            rootChildren_[c] = added;
        } else {
            nodes_.back().nextSibling = nodes_[node].firstChild;
            nodes_[node].firstChild = added;
        }
        return added;
    }

    // Breadth first, so that a node's failure is final before its children's.
    void linkFailures() {
        std::vector<std::int32_t> queue;
        queue.reserve(nodes_.size());
        for (const std::int32_t first : rootChildren_) {
            if (first != kNone) queue.push_back(first);
        }
        for (std::size_t at = 0; at < queue.size(); ++at) {
            const std::int32_t node = queue[at];
            Node& current = nodes_[node];
            const std::int32_t down = current.fail;
            current.terminal = current.entry != kNone ? node : nodes_[down].terminal;
            current.nextTerminal = current.entry != kNone ? nodes_[down].terminal : kNone;
            for (std::int32_t next = current.firstChild; next != kNone; next = nodes_[next].nextSibling) {
                nodes_[next].fail = step(down, nodes_[next].character);
                queue.push_back(next);
            }
        }
    }

    std::vector<Node> nodes_;
    std::int32_t rootChildren_[256];
    std::size_t longest_ = 0;
};

struct Site {
    std::size_t position;
    std::int32_t longest;  // terminal node of the longest reference starting here
};

// Where references start, left to right.
std::vector<Site> findSites(const std::string& html, const ReversedReferences& references, const CaseFold& fold) {
    std::vector<Site> sites;
    // Every reference begins with the scheme, so sites stand only before a
    // colon, which memchr finds far faster than the automaton reads. The
    // references starting at a site lie within the longest reference's
    // length of it: the automaton run back over that stretch alone ends in
    // the state the whole scan would be in there.
    bool onlyColonFoldsToColon = true;
    for (int c = 0; c < 256; ++c) onlyColonFoldsToColon &= (fold(static_cast<char>(c)) == ':') == (c == ':');
    const std::size_t schemeLength = sizeof kScheme - 1;
    if (onlyColonFoldsToColon) {
        const char* const text = html.data();
        for (std::size_t from = schemeLength - 1; from < html.size();) {
            const char* found = platform::findByte(text + from, html.size() - from, ':');
            if (!found) break;
            const std::size_t colon = static_cast<std::size_t>(found - text);
            from = colon + 1;
            const std::size_t start = colon + 1 - schemeLength;
            bool scheme = true;
            for (std::size_t k = 0; k + 1 < schemeLength; ++k) scheme &= fold(text[start + k]) == fold(kScheme[k]);
            if (!scheme) continue;
            std::int32_t state = 0;
            for (std::size_t i = std::min(html.size(), start + references.longest()); i-- > start;) {
                state = references.step(state, fold(text[i]));
            }
            const std::int32_t terminal = references[state].terminal;
            if (terminal != kNone) sites.push_back({start, terminal});
        }
        return sites;
    }
    std::int32_t state = 0;
    for (std::size_t i = html.size(); i-- > 0;) {
        state = references.step(state, fold(html[i]));
        const std::int32_t terminal = references[state].terminal;
        if (terminal != kNone) sites.push_back({i, terminal});
    }
    std::reverse(sites.begin(), sites.end());
    return sites;
}

// The first entry in list order among the references starting at a site
// that fit in `room` characters; kNone when none does.
std::int32_t firstFitting(const ReversedReferences& references, std::int32_t longest, std::size_t room) {
    std::int32_t best = kNone;
    for (std::int32_t at = longest; at != kNone; at = references[at].nextTerminal) {
        const auto& node = references[at];
        if (node.length <= room && (best == kNone || node.entry < references[best].entry)) best = at;
    }
    return best;
}

// A replaced stretch of the text as it came, and the entry replacing it.
struct Stretch {
    std::size_t start;
    std::size_t end;
    std::int32_t entry;
};

// The replaced stretches, left to right. The automaton and the sites are
// gone when the text is rebuilt.
std::vector<Stretch> claimStretches(const std::string& html, const ContentIdList& list) {
    std::vector<Stretch> stretches;
    const CaseFold fold;
    const ReversedReferences references(list, fold);
    if (references.empty()) return stretches;
    const std::vector<Site> sites = findSites(html, references, fold);

    // Where no reference at a site reaches the next site (references in
    // src="cid:..." attributes, as mail has them), no claim can stand in
    // another's way: each site is taken by its first entry in list order,
    // as the ordered claims below would take it.
    bool apart = true;
    for (std::size_t i = 0; apart && i + 1 < sites.size(); ++i) {
        apart = sites[i].position + references[sites[i].longest].length <= sites[i + 1].position;
    }
    if (apart) {
        stretches.reserve(sites.size());
        for (const Site& site : sites) {
            const std::int32_t node = firstFitting(references, site.longest, html.size());
            stretches.push_back({site.position, site.position + references[node].length, references[node].entry});
        }
        return stretches;
    }

    // start -> (end, entry)
    std::map<std::size_t, std::pair<std::size_t, std::int32_t>> replaced;
    // (entry, site, candidate node): the order the entry-by-entry rewriting takes them in.
    using Claim = std::tuple<std::int32_t, std::size_t, std::int32_t>;
    std::priority_queue<Claim, std::vector<Claim>, std::greater<Claim>> pending;
    for (std::size_t i = 0; i < sites.size(); ++i) {
        const std::int32_t node = firstFitting(references, sites[i].longest, html.size());
        pending.emplace(references[node].entry, i, node);
    }
    while (!pending.empty()) {
        const auto [entry, siteIndex, node] = pending.top();
        pending.pop();
        const std::size_t position = sites[siteIndex].position;
        const auto after = replaced.upper_bound(position);
        if (after != replaced.begin() && std::prev(after)->second.first > position) continue;  // swallowed
        const std::size_t room = after == replaced.end() ? html.size() - position : after->first - position;
        if (references[node].length <= room) {
            replaced.emplace_hint(after, position, std::make_pair(position + references[node].length, entry));
            continue;
        }
        // The reference runs into a replaced stretch: a shorter one may still fit.
        const std::int32_t shorter = firstFitting(references, sites[siteIndex].longest, room);
        if (shorter != kNone) pending.emplace(references[shorter].entry, siteIndex, shorter);
    }
    stretches.reserve(replaced.size());
    for (const auto& [start, stretch] : replaced) stretches.push_back({start, stretch.first, stretch.second});
    return stretches;
}

}  // namespace

void rewriteContentIds(std::string& html, const ContentIdList& list) {
    const std::vector<Stretch> replaced = claimStretches(html, list);
    if (replaced.empty()) return;

    std::string rewritten;
    std::size_t grown = 0;
    std::size_t taken = 0;
    for (const Stretch& stretch : replaced) {
        grown += list[stretch.entry].second.size();
        taken += stretch.end - stretch.start;
    }
    // As much room beyond the end as the text had (a rendering may use it).
    platform::reserveForWriting(rewritten, html.capacity() + grown, html.size() - taken + grown);
    std::size_t from = 0;
    for (const Stretch& stretch : replaced) {
        rewritten.append(html, from, stretch.start - from);
        rewritten += list[stretch.entry].second;
        from = stretch.end;
    }
    rewritten.append(html, from, std::string::npos);
    html.swap(rewritten);
}
