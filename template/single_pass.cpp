#include "template/single_pass.h"

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

    std::size_t valueBytes = 0;
    for (const auto value : values_) valueBytes += value.size();
    std::string output;
    output.reserve(text.size() + valueBytes);

    auto position = text.cbegin();
    boost::smatch match;
    while (position != text.cend() && boost::regex_search(position, text.cend(), match, combined)) {
        output.append(position, match[0].first);
        for (std::size_t i = 0; i < groups_.size(); ++i) {
            if (!match[static_cast<int>(groups_[i])].matched) continue;
            if (values_[i].empty() && fallbacks_[i] && match.length(static_cast<int>(groups_[i] + 1)) > 0) {
                const auto& fallback = match[static_cast<int>(groups_[i] + 1)];
                output.append(fallback.first, fallback.second);
            } else if (values_[i].empty()) {
                output += ' ';
            } else {
                output.append(values_[i].data(), values_[i].size());
            }
            break;
        }
        position = match[0].second;
        if (match[0].first == match[0].second) {
            // An empty match would stop the scan here; step over one character.
            output += *position;
            ++position;
        }
    }
    output.append(position, text.cend());
    text.swap(output);
}
