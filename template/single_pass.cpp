#include "template/single_pass.h"

#include <cstring>
#include <unordered_map>

#include <boost/regex.hpp>

namespace {

// Every rendering registers the same few patterns: compile each once.
// Renderings run on one thread (the host's user-interface thread, or the
// tool's). Not thread_local: the C runtime keeps a module that has a
// thread_local with a destructor loaded for as long as the thread lives,
// so the host's FreeLibrary would never unload the plug-in.
const boost::regex& compiled(const std::string& pattern) {
    static std::unordered_map<std::string, boost::regex> cache;
    auto found = cache.find(pattern);
    if (found == cache.end()) found = cache.emplace(pattern, boost::regex(pattern)).first;
    return found->second;
}

}  // namespace

void SinglePass::registerPlaceholder(std::string value, const std::string& pattern) {
    owned_.push_back(std::move(value));
    addAlternative(owned_.back(), pattern);
}

void SinglePass::registerBorrowedPlaceholder(const std::string& value, const std::string& pattern) {
    addAlternative(value, pattern);
}

void SinglePass::registerTakenPlaceholder(std::string& value, const std::string& pattern) {
    taken_ = &value;
    takenIndex_ = values_.size();
    addAlternative(value, pattern);
}

void SinglePass::registerPlaceholderWithFallback(std::string value, const std::string& pattern) {
    registerPlaceholder(std::move(value), pattern);
    fallbacks_.back() = true;
}

void SinglePass::addAlternative(std::string_view value, const std::string& pattern) {
    // Groups inside a pattern shift the numbers of the later alternatives.
    const std::size_t innerGroups = compiled(pattern).mark_count();
    if (!values_.empty()) combinedPattern_ += '|';
    combinedPattern_ += '(' + pattern + ')';
    values_.push_back(value);
    groups_.push_back(nextGroup_);
    fallbacks_.push_back(false);
    nextGroup_ += 1 + innerGroups;
}

void SinglePass::apply(std::string& text) const {
    if (values_.empty()) return;
    const boost::regex& combined = compiled(combinedPattern_);

    // The result as pieces in order: stretches of the text and the values
    // put between them. Measured before anything is written.
    std::vector<std::string_view> pieces;
    const auto stretch = [&](std::string::const_iterator from, std::string::const_iterator to) {
        pieces.emplace_back(text.data() + (from - text.cbegin()), static_cast<std::size_t>(to - from));
    };
    std::size_t takenPiece = 0;
    int takenInsertions = 0;
    auto position = text.cbegin();
    boost::smatch match;
    while (position != text.cend() && boost::regex_search(position, text.cend(), match, combined)) {
        stretch(position, match[0].first);
        for (std::size_t i = 0; i < groups_.size(); ++i) {
            if (!match[static_cast<int>(groups_[i])].matched) continue;
            if (values_[i].empty() && fallbacks_[i] && match.length(static_cast<int>(groups_[i] + 1)) > 0) {
                const auto& fallback = match[static_cast<int>(groups_[i] + 1)];
                stretch(fallback.first, fallback.second);
            } else if (values_[i].empty()) {
                pieces.emplace_back(" ", 1);
            } else {
                if (taken_ && i == takenIndex_) {
                    takenPiece = pieces.size();
                    ++takenInsertions;
                }
                pieces.push_back(values_[i]);
            }
            break;
        }
        position = match[0].second;
        if (match[0].first == match[0].second) {
            // An empty match would stop the scan here; step over one character.
            if (position == text.cend()) break;
            stretch(position, position + 1);
            ++position;
        }
    }
    stretch(position, text.cend());

    std::size_t total = 0;
    for (const std::string_view piece : pieces) total += piece.size();
    std::string output;
    if (takenInsertions == 1 && taken_->capacity() >= total) {
        // The value stays where it is in its memory, moved up past what
        // comes before it; no block of the text's size is made afresh.
        std::size_t before = 0;
        for (std::size_t i = 0; i < takenPiece; ++i) before += pieces[i].size();
        output.swap(*taken_);
        const std::size_t valueSize = output.size();
        output.resize(total);
        std::memmove(&output[before], output.data(), valueSize);
        char* out = &output[0];
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            if (i != takenPiece) std::memcpy(out, pieces[i].data(), pieces[i].size());
            out += pieces[i].size();
        }
    } else {
        output.reserve(total);
        for (const std::string_view piece : pieces) output.append(piece.data(), piece.size());
    }
    text.swap(output);
}
