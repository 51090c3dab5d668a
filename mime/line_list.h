// An append-only list of text lines, each stored as its own NUL-terminated
// copy ending in CR LF. The lines of one MIME tree share the tree's arena; a
// list made on its own keeps a private arena.
#pragma once

#include <cstddef>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "mime/line_arena.h"

class LineList {
    struct Node {
        Node* next;
        std::size_t length;  // characters of text, without the NUL
        char* text() { return reinterpret_cast<char*>(this + 1); }
        const char* text() const { return reinterpret_cast<const char*>(this + 1); }
    };

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
        explicit const_iterator(const Node* node) : node_(node) {}
        std::string_view operator*() const { return std::string_view(node_->text(), node_->length); }
        // The line as a NUL-terminated text.
        const char* c_str() const { return node_->text(); }
        const_iterator& operator++() {
            node_ = node_->next;
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator before = *this;
            node_ = node_->next;
            return before;
        }
        bool operator==(const const_iterator& other) const { return node_ == other.node_; }
        bool operator!=(const const_iterator& other) const { return node_ != other.node_; }

    private:
        const Node* node_ = nullptr;
    };

    const_iterator begin() const { return const_iterator(first_); }
    const_iterator end() const { return const_iterator(); }
    std::string_view front() const { return *begin(); }
    std::string_view back() const { return std::string_view(last_->text(), last_->length); }

private:
    // Room for one more line of `length` characters (NUL added), linked in.
    char* appendUninitialised(std::size_t length) {
        if (!arena_) makeOwnArena();
        Node* node = static_cast<Node*>(arena_->allocate(sizeof(Node) + length + 1));
        node->next = nullptr;
        node->length = length;
        node->text()[length] = '\0';
        if (last_) {
            last_->next = node;
        } else {
            first_ = node;
        }
        last_ = node;
        ++size_;
        totalLength_ += length;
        return node->text();
    }
    void makeOwnArena();

    LineArena* arena_ = nullptr;
    std::unique_ptr<LineArena> ownArena_;
    Node* first_ = nullptr;
    Node* last_ = nullptr;
    std::size_t size_ = 0;
    std::size_t totalLength_ = 0;
};

// All lines of the list one after another, as one text.
std::string joinLines(const LineList& lines);
