#include "template/loop_phase.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// Stretches of the text that the phase has dealt with: inserted values and
// occurrences left in place. Sorted and disjoint; positions in the text as
// it stands.
class HandledRanges {
public:
    // The end of the range that holds `position`, or 0 when none does.
    std::size_t endOfRangeHolding(std::size_t position) const {
        auto after = std::upper_bound(ranges_.begin(), ranges_.end(), position,
                                      [](std::size_t at, const Range& range) { return at < range.begin; });
        if (after == ranges_.begin()) return 0;
        --after;
        return position < after->end ? after->end : 0;
    }

    // [begin, end) of the text became `length` characters of handled text.
    void replace(std::size_t begin, std::size_t end, std::size_t length) {
        auto first = std::lower_bound(ranges_.begin(), ranges_.end(), begin,
                                      [](const Range& range, std::size_t at) { return range.end <= at; });
        auto last = first;
        while (last != ranges_.end() && last->end <= end) ++last;  // swallowed by the replacement
        for (auto later = last; later != ranges_.end(); ++later) {
            later->begin = std::max(later->begin, end) - (end - begin) + length;
            later->end = later->end - (end - begin) + length;
        }
        first = ranges_.erase(first, last);
        if (length > 0) ranges_.insert(first, Range{begin, begin + length});
    }

private:
    struct Range {
        std::size_t begin;
        std::size_t end;
    };
    std::vector<Range> ranges_;
};

// The text of a phase, rebuilt from front to back as the occurrences are
// replaced: what lies before the read position is in `done`, the rest is
// read from `source`. A replacement then costs what it inserts, not a move
// of the whole text behind it.
class PhaseText {
public:
    explicit PhaseText(std::string& text) : text_(text), source_(std::move(text)) {}

    // Puts the text together into the caller's string.
    void finish() {
        done_.append(source_, read_, std::string::npos);
        text_.swap(done_);
    }

    const std::string& source() const { return source_; }
    std::size_t read() const { return read_; }
    // Where the text as it stands begins in source(): the look-behind must
    // not reach before it.
    std::size_t start() const { return done_.empty() ? read_ : 0; }
    // Position in the text as it stands of source()[at], at >= read(), and back.
    std::size_t positionOf(std::size_t at) const { return done_.size() + (at - read_); }
    std::size_t sourceIndexOf(std::size_t position) const { return read_ + (position - done_.size()); }
    // The text as it stands, up to the read position.
    const std::string& done() const { return done_; }

    // Replaces source()[begin, end), begin >= read(), by `value`.
    void replace(std::size_t begin, std::size_t end, const std::string& value) {
        done_.append(source_, read_, begin - read_);
        done_ += value;
        read_ = end;
        // A look-behind at the read position must see the character now before it.
        if (!done_.empty()) source_[read_ - 1] = done_.back();
    }

    // Reading goes on from `position`, before the read position: the text
    // is put together once more, to be searched from there.
    void rewindTo(std::size_t position) {
        done_.append(source_, read_, std::string::npos);
        source_.swap(done_);
        done_.assign(source_, 0, position);
        read_ = position;
    }

private:
    std::string& text_;
    std::string source_;
    std::string done_;
    std::size_t read_ = 0;
};

// After the `count`-th "}" before `end`, or 0 when there are fewer.
std::size_t afterBraces(const std::string& text, std::size_t end, int count) {
    for (std::size_t at = end; at-- > 0;) {
        if (text[at] == '}' && --count == 0) return at + 1;
    }
    return 0;
}

}  // namespace

void runLoopPhase(std::string& text, const boost::regex& pattern, int braceGroups, RenderStage stage,
                  const OccurrenceReplacer& replacementFor) {
    HandledRanges handled;
    PhaseText phase(text);
    std::size_t searchFrom = 0;
    // Every occurrence ends in "}": the search stops at the last one. Past
    // it, each "%" of an unclosed placeholder (a name such as "%h{x.pdf"
    // listed a thousand times) would otherwise be tried against the whole
    // rest of the text.
    std::size_t searchEnd = phase.source().rfind('}') + 1;
    try {
        for (;;) {
            enterRenderStage(stage);
            const std::string& source = phase.source();
            boost::smatch occurrence;
            const auto flags = searchFrom > phase.start() ? boost::match_prev_avail : boost::match_default;
            if (searchFrom >= searchEnd ||
                !boost::regex_search(source.cbegin() + static_cast<std::ptrdiff_t>(searchFrom),
                                     source.cbegin() + static_cast<std::ptrdiff_t>(searchEnd), occurrence, pattern,
                                     flags, source.cbegin() + static_cast<std::ptrdiff_t>(phase.start()))) {
                break;
            }
            const auto begin = static_cast<std::size_t>(occurrence[0].first - source.cbegin());
            const auto end = static_cast<std::size_t>(occurrence[0].second - source.cbegin());
            const std::size_t position = phase.positionOf(begin);
            if (const std::size_t rangeEnd = handled.endOfRangeHolding(position)) {
                searchFrom = phase.sourceIndexOf(rangeEnd);
                continue;
            }
            const std::optional<std::string> replacement = replacementFor(occurrence);
            if (!replacement) {
                handled.replace(position, position + (end - begin), end - begin);
                searchFrom = end;
                continue;
            }
            phase.replace(begin, end, *replacement);
            handled.replace(position, position + (end - begin), replacement->size());
            searchFrom = phase.read();
            // A search from the start would find an occurrence before this
            // one only if the replacement completed it. With one "{...}"
            // group that cannot be: the occurrence would have been found
            // first. With more, the replacement must open a group right after
            // a "}", and the occurrence begins after the braceGroups-th "}"
            // back.
            const std::string& done = phase.done();
            const char next = !replacement->empty()          ? replacement->front()
                              : phase.read() < source.size() ? source[phase.read()]
                                                             : '\0';
            if (braceGroups > 1 && next == '{' && position > 0 && done[position - 1] == '}') {
                const std::size_t restart = afterBraces(done, position, braceGroups);
                phase.rewindTo(restart);
                searchFrom = restart;
                searchEnd = phase.source().rfind('}') + 1;
            }
        }
    } catch (...) {
        // The text keeps what the phase had replaced.
        phase.finish();
        throw;
    }
    phase.finish();
}
