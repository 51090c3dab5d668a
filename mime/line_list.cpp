#include "mime/line_list.h"

#include <cstring>

void LineList::makeOwnArena() {
    ownArena_ = std::make_unique<LineArena>();
    arena_ = ownArena_.get();
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
    first_ = nullptr;
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
