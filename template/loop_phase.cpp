#include "template/loop_phase.h"

#include <cctype>
#include <cstddef>
#include <optional>
#include <string_view>

namespace {

// Marks of one character: inserted by a loop phase (this one included), and
// dealt with by this phase (inserted by it, or an occurrence it left).
constexpr char kInserted = 1;
constexpr char kHandledHere = 2;

// The text of a phase, rebuilt from front to back as the occurrences are
// replaced: what lies before the read position is in `done`, the rest is
// read from `source`, each character with its marks. A replacement then
// costs what it inserts, not a move of the whole text behind it, and going
// back a little (to search again before a replacement) costs what is gone
// back over: it goes into the room the read part of `source` left.
class PhaseText {
public:
    PhaseText(std::string& text, std::string& marks)
        : text_(text), marks_(marks), source_(std::move(text)), sourceMarks_(std::move(marks)) {
        const std::size_t lastBrace = source_.rfind('}');
        searchEnd_ = lastBrace == std::string::npos ? 0 : lastBrace + 1;
    }

    // Puts the text and its marks together into the caller's strings; the
    // marks of this phase alone are dropped.
    void finish() {
        append(read_, source_.size());
        for (char& mark : doneMarks_) mark &= kInserted;
        text_ = std::move(done_);
        marks_ = std::move(doneMarks_);
    }

    const std::string& source() const { return source_; }
    std::size_t read() const { return read_; }
    // Every occurrence ends in "}": searching stops after the last one of
    // the unread text. Past it, each "%" of an unclosed placeholder (a name
    // such as "%h{x.pdf" listed a thousand times) would otherwise be tried
    // against the whole rest of the text.
    std::size_t searchEnd() const { return searchEnd_; }
    // Where the text as it stands begins in source(): the look-behind must
    // not reach before it (with text done, source()[read() - 1] is its last
    // character).
    std::size_t start() const { return done_.empty() ? read_ : 0; }
    // Position in the text as it stands of source()[at], at >= read().
    std::size_t positionOf(std::size_t at) const { return done_.size() + (at - read_); }
    // The text as it stands, up to the read position.
    const std::string& done() const { return done_; }

    char marksAt(std::size_t at) const { return sourceMarks_[at]; }
    // The first position from `at` on without any of `marks`.
    std::size_t skip(std::size_t at, char marks) const {
        while (at < source_.size() && (sourceMarks_[at] & marks) != 0) ++at;
        return at;
    }
    void mark(std::size_t begin, std::size_t end, char marks) {
        for (std::size_t at = begin; at < end; ++at) sourceMarks_[at] |= marks;
    }

    // Replaces source()[begin, end), begin >= read(), by `value`.
    void replace(std::size_t begin, std::size_t end, const std::string& value) {
        append(read_, begin);
        done_ += value;
        doneMarks_.append(value.size(), kInserted | kHandledHere);
        read_ = end;
        keepLookBehind();
    }

    // Reading goes on from `position` of the text as it stands, before the
    // read position: what lies after it in `done` goes back in front of the
    // unread text.
    void rewindTo(std::size_t position) {
        const std::size_t length = done_.size() - position;
        const bool braceUnread = searchEnd_ > read_;
        if (read_ < length + 1) {
            // No room: the unread text moves back, by as much as it is long,
            // so that this happens again only after as much going back.
            const std::size_t room = length + (source_.size() - read_) + 1;
            std::string source(room, '\0');
            std::string sourceMarks(room, '\0');
            source.append(source_, read_, std::string::npos);
            sourceMarks.append(sourceMarks_, read_, std::string::npos);
            if (braceUnread) searchEnd_ = searchEnd_ - read_ + room;
            source_.swap(source);
            sourceMarks_.swap(sourceMarks);
            read_ = room;
        }
        read_ -= length;
        source_.replace(read_, length, done_, position, length);
        sourceMarks_.replace(read_, length, doneMarks_, position, length);
        if (!braceUnread) {
            const std::size_t lastBrace = std::string_view(done_).substr(position).rfind('}');
            searchEnd_ = lastBrace == std::string::npos ? 0 : read_ + lastBrace + 1;
        }
        done_.resize(position);
        doneMarks_.resize(position);
        keepLookBehind();
    }

private:
    void append(std::size_t begin, std::size_t end) {
        done_.append(source_, begin, end - begin);
        doneMarks_.append(sourceMarks_, begin, end - begin);
    }

    // A look-behind at the read position must see the character now before it.
    void keepLookBehind() {
        if (!done_.empty()) source_[read_ - 1] = done_.back();
    }

    std::string& text_;
    std::string& marks_;
    std::string source_;
    std::string sourceMarks_;
    std::string done_;
    std::string doneMarks_;
    std::size_t read_ = 0;
    std::size_t searchEnd_ = 0;
};

// The placeholder's name: the letters after the "%" and its look-behind.
std::string placeholderName(const boost::regex& pattern) {
    const std::string expression = pattern.str();
    std::size_t at = expression.find(')') + 1;
    const std::size_t begin = at;
    while (at < expression.size() && std::isalpha(static_cast<unsigned char>(expression[at]))) ++at;
    return expression.substr(begin, at - begin);
}

// After the `count`-th "}" before `end`, or 0 when there are fewer.
std::size_t afterBraces(const std::string& text, std::size_t end, int count) {
    for (std::size_t at = end; at-- > 0;) {
        if (text[at] == '}' && --count == 0) return at + 1;
    }
    return 0;
}

// Where an occurrence that the replacement at `position` may have completed
// begins, or none. `done` is the text up to the end of the replacement,
// `next` the character that now follows `position`. Before the replacement
// no occurrence began before it, so one that does now starts with text the
// replacement continues: "%" and all or part of the name, or (with more
// than one group) the name and complete groups, when the replacement opens
// the next group.
std::optional<std::size_t> completedOccurrenceStart(const std::string& done, std::size_t position, char next,
                                                    const std::string& name, int braceGroups) {
    std::optional<std::size_t> start;
    if (braceGroups > 1 && next == '{' && position > 0 && done[position - 1] == '}') {
        start = afterBraces(done, position, braceGroups);
    }
    for (std::size_t length = name.size(); length > 0; --length) {
        if (position < length + 1 || next != (length == name.size() ? '{' : name[length])) continue;
        const std::size_t begin = position - length - 1;
        if (done[begin] != '%' || done.compare(begin + 1, length, name, 0, length) != 0) continue;
        if (begin > 0 && done[begin - 1] == '%') continue;  // not a placeholder
        if (!start || begin < *start) start = begin;
        break;
    }
    return start;
}

}  // namespace

void runLoopPhase(std::string& text, InsertedText& inserted, EarlierInsertions earlier,
                  const boost::regex& pattern, int braceGroups, RenderStage stage,
                  const OccurrenceReplacer& replacementFor) {
    const std::string name = placeholderName(pattern);
    if (inserted.marks.size() != text.size()) inserted.marks.assign(text.size(), 0);
    const char leftAlone = earlier == EarlierInsertions::LeftAlone ? kInserted | kHandledHere : kHandledHere;
    PhaseText phase(text, inserted.marks);
    std::size_t searchFrom = 0;
    try {
        for (;;) {
            enterRenderStage(stage);
            const std::string& source = phase.source();
            boost::smatch occurrence;
            const auto flags = searchFrom > phase.start() ? boost::match_prev_avail : boost::match_default;
            if (searchFrom >= phase.searchEnd() ||
                !boost::regex_search(source.cbegin() + static_cast<std::ptrdiff_t>(searchFrom),
                                     source.cbegin() + static_cast<std::ptrdiff_t>(phase.searchEnd()), occurrence,
                                     pattern, flags, source.cbegin() + static_cast<std::ptrdiff_t>(phase.start()))) {
                break;
            }
            const auto begin = static_cast<std::size_t>(occurrence[0].first - source.cbegin());
            const auto end = static_cast<std::size_t>(occurrence[0].second - source.cbegin());
            if ((phase.marksAt(begin) & leftAlone) != 0) {
                searchFrom = phase.skip(begin, leftAlone);
                continue;
            }
            const std::optional<std::string> replacement = replacementFor(occurrence);
            if (!replacement) {
                phase.mark(begin, end, kHandledHere);
                searchFrom = end;
                continue;
            }
            const std::size_t position = phase.positionOf(begin);
            phase.replace(begin, end, *replacement);
            searchFrom = phase.read();
            const char next = !replacement->empty()          ? replacement->front()
                              : phase.read() < source.size() ? source[phase.read()]
                                                             : '\0';
            if (const auto restart = completedOccurrenceStart(phase.done(), position, next, name, braceGroups)) {
                phase.rewindTo(*restart);
                searchFrom = phase.read();
            }
        }
    } catch (...) {
        // The text keeps what the phase had replaced.
        phase.finish();
        throw;
    }
    phase.finish();
}
