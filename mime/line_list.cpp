#include "mime/line_list.h"

#include <cstring>
#include <limits>
#include <stdexcept>

void LineList::makeOwnArena() {
    ownArena_ = std::make_unique<LineArena>();
    arena_ = ownArena_.get();
}

char* LineList::appendUninitialised(std::size_t length) {
    if (length > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("line too long");
    if (!arena_) makeOwnArena();
    const std::size_t entryBytes = prefixSize(length) + length;
    char* entry = lastRun_ ? arena_->extend(lastRun_->end, entryBytes) : nullptr;
    if (!entry) {
        Run* run = static_cast<Run*>(arena_->allocate(sizeof(Run) + entryBytes));
        run->next = nullptr;
        if (lastRun_) {
            lastRun_->next = run;
        } else {
            firstRun_ = run;
        }
        lastRun_ = run;
        entry = run->entries();
    }
    lastRun_->end = entry + entryBytes;
    last_ = entry;
    ++size_;
    totalLength_ += length;
    if (length < kLongLength) {
        *entry = static_cast<char>(length);
        return entry + 1;
    }
    *entry = static_cast<char>(kLongLength);
    const auto stored = static_cast<std::uint32_t>(length);
    std::memcpy(entry + 1, &stored, sizeof stored);
    return entry + 5;
}

void LineList::appendLine(std::string_view content) {
    char* text = appendUninitialised(content.size() + 2);
    if (!content.empty()) std::memcpy(text, content.data(), content.size());
    text[content.size()] = '\r';
    text[content.size() + 1] = '\n';
}

void LineList::appendText(std::string_view text) {
    char* stored = appendUninitialised(text.size());
    if (!text.empty()) std::memcpy(stored, text.data(), text.size());
}

void LineList::clear() {
    firstRun_ = nullptr;
    lastRun_ = nullptr;
    last_ = nullptr;
    size_ = 0;
    totalLength_ = 0;
    if (ownArena_) {
        ownArena_.reset();
        arena_ = nullptr;
    }
}

std::string joinLines(const LineList& lines) {
    std::string joined;
    joined.reserve(lines.totalLength());
    for (std::string_view line : lines) joined.append(line.data(), line.size());
    return joined;
}
