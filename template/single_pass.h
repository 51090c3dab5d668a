// The single pass of a rendering: every registered placeholder replaced in
// one left-to-right scan of the text, by a combined alternation in which the
// first-registered alternative wins at a position. Values are inserted
// literally and never scanned again.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

class SinglePass {
public:
    // Adds one alternative; an empty value is inserted as one space.
    void registerPlaceholder(std::string value, const std::string& pattern);
    // The same for a value the caller keeps alive until apply() has run
    // (spares a copy of a large quoted body).
    void registerBorrowedPlaceholder(const std::string& value, const std::string& pattern);
    // The same for a value whose memory apply() may take for the text: where
    // it is inserted once and has room for the whole text beyond its end
    // (capacity), the rest is written around it there, and `value` is left
    // empty; otherwise it is copied as a borrowed one. At most one per pass.
    void registerTakenPlaceholder(std::string& value, const std::string& pattern);
    // The same, except that an empty value gives the text of the pattern's
    // first group where it has one (a fallback written in the template).
    void registerPlaceholderWithFallback(std::string value, const std::string& pattern);

    int count() const { return static_cast<int>(values_.size()); }

    // Replaces every match in `text`. A search that resumes after a match
    // starts afresh there: its look-behind cannot see the consumed text.
    // Throws boost::regex_error from the regular-expression library.
    void apply(std::string& text) const;

private:
    void addAlternative(std::string_view value, const std::string& pattern);

    std::string combinedPattern_;
    std::vector<std::string_view> values_;
    std::vector<std::size_t> groups_;  // capture group of each alternative
    std::vector<bool> fallbacks_;      // whether an empty value takes the first inner group
    std::string* taken_ = nullptr;
    std::size_t takenIndex_ = 0;
    std::size_t nextGroup_ = 1;
    std::deque<std::string> owned_;
};
