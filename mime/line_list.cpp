#include "mime/line_list.h"

#include <cstring>
#include <limits>
#include <stdexcept>

#include "platform/files.h"

void LineList::makeOwnArena() {
    ownArena_ = std::make_unique<LineArena>();
    arena_ = ownArena_.get();
}

LineList::Run* LineList::appendRun(std::size_t bytes, const char* view) {
    if (!arena_) makeOwnArena();
    Run* run = static_cast<Run*>(arena_->allocate(sizeof(Run) + bytes));
    run->next = nullptr;
    run->view = view;
    if (lastRun_) {
        lastRun_->next = run;
    } else {
        firstRun_ = run;
    }
    lastRun_ = run;
    return run;
}

char* LineList::appendUninitialised(std::size_t length) {
    if (length > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("line too long");
    if (!arena_) makeOwnArena();
    const std::size_t entryBytes = prefixSize(length) + length;
    // A stored run ends where the arena's storage does; a view never does.
    char* entry = lastRun_ && !lastRun_->view ? arena_->extend(lastRun_->end, entryBytes) : nullptr;
    if (!entry) entry = appendRun(entryBytes, nullptr)->entries();
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

void LineList::appendInPlace(std::string_view line) {
    if (!lastRun_ || lastRun_->view == nullptr || lastRun_->end != line.data()) appendRun(0, line.data());
    lastRun_->end = line.data() + line.size();
    last_ = line.data();
    ++size_;
    totalLength_ += line.size();
}

void LineList::appendText(std::string_view text) {
    char* stored = appendUninitialised(text.size());
    if (!text.empty()) std::memcpy(stored, text.data(), text.size());
}

std::size_t LineList::lengthInPlace() const {
    std::size_t length = 0;
    for (const Run* run = firstRun_; run; run = run->next) {
        if (run->view) length += static_cast<std::size_t>(run->end - run->view);
    }
    return length;
}

void LineList::storeLinesInPlace() {
    if (lengthInPlace() == 0) return;
    LineList stored(arena_);
    for (const std::string_view line : *this) stored.appendText(line);
    firstRun_ = stored.firstRun_;
    lastRun_ = stored.lastRun_;
    last_ = stored.last_;
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
    lines.forEachPiece([&](std::string_view piece) { joined.append(piece.data(), piece.size()); });
    return joined;
}

bool writeLines(const LineList& lines, const std::string& path) {
    // Stored lines are gathered into writes of about this size; a view is
    // written as it stands.
    constexpr std::size_t kGathered = 64 * 1024;
    return platform::writeFileInPieces(path, [&](const platform::PieceSink& sink) {
        std::string gathered;
        lines.forEachPiece([&](std::string_view piece) {
            if (gathered.size() + piece.size() > kGathered && !gathered.empty()) {
                sink(gathered);
                gathered.clear();
            }
            if (piece.size() >= kGathered) {
                sink(piece);
            } else {
                if (gathered.capacity() < kGathered) gathered.reserve(kGathered);
                gathered.append(piece.data(), piece.size());
            }
        });
        if (!gathered.empty()) sink(gathered);
    });
}
