// An append-only list of text lines, each ending in CR LF. The lines of one
// MIME tree share the tree's arena; a list made on its own keeps a private
// arena.
//
// Lines are stored back to back in runs: a run is a small header followed by
// entries, each a length (one byte below 255, else 255 and four bytes) and
// the text. A list appended to while nothing else was stored after it grows
// its last run in place, so a line costs its text and one byte: a message of
// short lines is not held at twice its size.
//
// A run may instead be a view: a stretch of a text that outlives the list,
// made of lines that each end in CR LF there, read in place and not copied.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "mime/line_arena.h"
#include "platform/find_byte.h"

class LineList {
    struct Run {
        Run* next;
        const char* end;   // past the last entry
        const char* view;  // a view's first line; null for stored entries
        char* entries() { return reinterpret_cast<char*>(this + 1); }
        const char* begin() const { return view ? view : reinterpret_cast<const char*>(this + 1); }
        // The entry at `entry` of this run.
        std::string_view at(const char* entry) const {
            if (!view) return entryAt(entry);
            const char* lineFeed = platform::findByte(entry, static_cast<std::size_t>(end - entry), '\n');
            return std::string_view(entry, static_cast<std::size_t>(lineFeed - entry) + 1);
        }
    };

    static constexpr unsigned char kLongLength = 255;

    static std::size_t prefixSize(std::size_t length) { return length < kLongLength ? 1 : 5; }
    static std::string_view entryAt(const char* entry) {
        const auto first = static_cast<unsigned char>(*entry);
        if (first != kLongLength) return std::string_view(entry + 1, first);
        std::uint32_t length;
        std::memcpy(&length, entry + 1, sizeof length);
        return std::string_view(entry + 5, length);
    }

public:
    // A list with its own storage.
    LineList() = default;
    // A list whose lines live in `shared`, which must outlive the list.
    explicit LineList(LineArena* shared) : arena_(shared) {}
    LineList(const LineList&) = delete;
    LineList& operator=(const LineList&) = delete;

    // Appends `content` followed by CR LF.
    void appendLine(std::string_view content);
    // Appends `text` as it stands (the caller has put the CR LF in it).
    void appendText(std::string_view text);
    // Appends the line `line` without copying it: it must end in CR LF, hold
    // no other LF, and stay unchanged as long as the list. A line that
    // follows the previous one in that text widens the same view.
    void appendInPlace(std::string_view line);

    // Calls `visit` with the lines' text in order, in pieces: the lines of a
    // view at once, stored lines one by one.
    template <typename Visit>
    void forEachPiece(Visit&& visit) const {
        for (const Run* run = firstRun_; run; run = run->next) {
            if (run->view) {
                visit(std::string_view(run->view, static_cast<std::size_t>(run->end - run->view)));
                continue;
            }
            for (const char* entry = run->begin(); entry != run->end;) {
                const std::string_view line = entryAt(entry);
                visit(line);
                entry = line.data() + line.size();
            }
        }
    }

    // Characters of the lines read in place.
    std::size_t lengthInPlace() const;
    // Copies the lines read in place into the list's storage, so that their
    // text may go.
    void storeLinesInPlace();

    // Forgets every line. With a shared arena their storage is released with
    // the arena; a private arena is released here.
    void clear();

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // Characters of all lines together.
    std::size_t totalLength() const { return totalLength_; }

    class const_iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = std::string_view;
        using difference_type = std::ptrdiff_t;
        using pointer = const std::string_view*;
        using reference = std::string_view;

        const_iterator() = default;
        explicit const_iterator(const Run* run) : run_(run), entry_(run ? run->begin() : nullptr) {}
        std::string_view operator*() const { return run_->at(entry_); }
        const_iterator& operator++() {
            const std::string_view line = run_->at(entry_);
            entry_ = line.data() + line.size();
            if (entry_ == run_->end) *this = const_iterator(run_->next);
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            ++*this;
            return before;
        }
        bool operator==(const const_iterator& other) const { return entry_ == other.entry_; }
        bool operator!=(const const_iterator& other) const { return entry_ != other.entry_; }

    private:
        const Run* run_ = nullptr;
        const char* entry_ = nullptr;
    };

    const_iterator begin() const { return const_iterator(firstRun_); }
    const_iterator end() const { return const_iterator(); }
    std::string_view front() const { return *begin(); }
    std::string_view back() const { return lastRun_->at(last_); }

private:
    // Room for one more line of `length` characters, linked in.
    char* appendUninitialised(std::size_t length);
    // A fresh run linked in after the last one, `bytes` of entries after it.
    Run* appendRun(std::size_t bytes, const char* view);
    void makeOwnArena();

    LineArena* arena_ = nullptr;
    std::unique_ptr<LineArena> ownArena_;
    Run* firstRun_ = nullptr;
    Run* lastRun_ = nullptr;
    const char* last_ = nullptr;  // the last entry
    std::size_t size_ = 0;
    std::size_t totalLength_ = 0;
};

// All lines of the list one after another, as one text.
std::string joinLines(const LineList& lines);

// Writes that text into a new file at `path` (as platform::writeFile), without
// putting it together first: a large attachment is not held twice.
bool writeLines(const LineList& lines, const std::string& path);
