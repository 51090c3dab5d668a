#include "template/loop_phase.h"

#include <algorithm>
#include <cstddef>
#include <vector>

namespace {

// Ranges of the text that the phase has already dealt with: inserted values
// and occurrences left in place. Kept sorted and disjoint.
class HandledRanges {
public:
    // The end of the range that holds `position`, or 0 when none does.
    std::size_t endOfRangeHolding(std::size_t position) const {
        for (const auto& range : ranges_) {
            if (range.begin > position) break;
            if (position < range.end) return range.end;
        }
        return 0;
    }

    // [begin, end) of the text became `length` characters of handled text.
    void replace(std::size_t begin, std::size_t end, std::size_t length) {
        const auto shift = [&](std::size_t at) { return at - (end - begin) + length; };
        std::vector<Range> updated;
        updated.reserve(ranges_.size() + 1);
        bool inserted = false;
        for (const auto& range : ranges_) {
            if (range.end <= begin) {
                updated.push_back(range);
                continue;
            }
            if (!inserted && length > 0) updated.push_back({begin, begin + length});
            inserted = true;
            if (range.end <= end) continue;  // swallowed by the replacement
            updated.push_back({shift(std::max(range.begin, end)), shift(range.end)});
        }
        if (!inserted && length > 0) updated.push_back({begin, begin + length});
        ranges_.swap(updated);
    }

private:
    struct Range {
        std::size_t begin;
        std::size_t end;
    };
    std::vector<Range> ranges_;
};

}  // namespace

void runLoopPhase(std::string& text, const boost::regex& pattern, RenderStage stage,
                  const OccurrenceReplacer& replacementFor) {
    HandledRanges handled;
    std::size_t searchFrom = 0;
    for (;;) {
        enterRenderStage(stage);
        boost::smatch occurrence;
        // With the whole text as its base the look-behind sees the real
        // character before the resume point; without it Boost stops there.
        const auto flags = searchFrom > 0 ? boost::match_prev_avail : boost::match_default;
        if (!boost::regex_search(text.cbegin() + static_cast<std::ptrdiff_t>(searchFrom), text.cend(), occurrence,
                                 pattern, flags, text.cbegin())) {
            return;
        }
        const auto begin = static_cast<std::size_t>(occurrence[0].first - text.cbegin());
        const auto end = static_cast<std::size_t>(occurrence[0].second - text.cbegin());
        if (const std::size_t rangeEnd = handled.endOfRangeHolding(begin)) {
            searchFrom = rangeEnd;
            continue;
        }
        const std::optional<std::string> replacement = replacementFor(occurrence);
        if (!replacement) {
            handled.replace(begin, end, end - begin);
            searchFrom = end;
            continue;
        }
        text.replace(begin, end - begin, *replacement);
        handled.replace(begin, end, replacement->size());
        searchFrom = 0;
    }
}
