#include "mime/mime_part.h"

#include <cstring>
#include <new>

#include "text/no_case.h"

namespace {

const char* const kScratchNames[4] = {
    "temporary_b64.code",
    "temporary_b64_decode.htm",
    "temporary_qp.code",
    "temporary_qp_decode.htm",
};

// Destroys a chain of parts and everything below it without recursing:
// children are spliced in front of the remaining chain, so each part dies
// with no links left.
void destroyChain(SubPartPointer head) {
    while (head) {
        SubPartPointer rest = std::move(head->nextSibling);
        if (head->firstChild) {
            SubPartPointer children = std::move(head->firstChild);
            MimePart* last = children.get();
            while (last->nextSibling) last = last->nextSibling.get();
            last->nextSibling = std::move(rest);
            rest = std::move(children);
        }
        head = std::move(rest);
    }
}

}  // namespace

void SubPartDeleter::operator()(MimePart* part) const { part->~MimePart(); }

MimePart::MimePart()
    : ownArena_(std::make_unique<LineArena>()),
      arena_(ownArena_.get()),
      headers(arena_),
      body(arena_),
      epilogue(arena_) {
    fillScratchPaths();
}

MimePart::MimePart(SubPart, LineArena* arena, int depth)
    : arena_(arena),
      headers(arena_),
      body(arena_),
      epilogue(arena_),
      depth_(depth) {}

MimePart::~MimePart() {
    destroyChain(std::move(nextSibling));
    destroyChain(std::move(firstChild));
}

SubPartPointer MimePart::newSubPart() {
    static_assert(alignof(MimePart) <= alignof(void*), "the arena aligns to pointers");
    SubPartPointer part(new (arena_->allocate(sizeof(MimePart))) MimePart(SubPart{}, arena_, depth_ + 1));
    part->bodyFilter_ = bodyFilter_;
    part->bodiesInPlace_ = bodiesInPlace_;
    return part;
}

void MimePart::fillScratchPaths() {
    const char* folder = hostApi().BKA_GetTempFolder();
    if (!folder) folder = "";
    const std::size_t folderLength = std::strlen(folder);
    HostBlock* scratch = hostBlocks().scratch;
    for (int i = 0; i < 4; ++i) {
        if (scratch[i]) continue;
        const std::size_t nameLength = std::strlen(kScratchNames[i]);
        if (folderLength + nameLength >= kScratchPathSize) continue;
        scratch[i] = allocateHostBlock(kScratchPathSize);
        if (!scratch[i]) continue;
        std::memcpy(scratch[i].get(), folder, folderLength);
        std::memcpy(scratch[i].get() + folderLength, kScratchNames[i], nameLength + 1);
    }
}

MimePart::HostBlocks& MimePart::hostBlocks() {
    if (!hostBlocks_) hostBlocks_ = std::make_unique<HostBlocks>();
    return *hostBlocks_;
}

const char* MimePart::scratchPath(ScratchFile which) {
    if (!hostBlocks().scratch[which]) fillScratchPaths();
    const HostBlock& path = hostBlocks_->scratch[which];
    return path ? path.get() : "";
}

char* MimePart::transferEncodingBuffer() {
    HostBlock& buffer = hostBlocks().transferEncoding;
    if (!buffer) buffer = allocateHostBlock(kTransferEncodingSize);
    return buffer.get();
}

MimePart* MimePart::findPart(const char* wantedType, const char* wantedSubtype) {
    MimePart* found = nullptr;
    std::vector<MimePart*> pending{this};
    while (!pending.empty() && !found) {
        MimePart* part = pending.back();
        pending.pop_back();
        if ((!wantedType || equalNoCase(wantedType, part->type)) &&
            (!wantedSubtype || equalNoCase(wantedSubtype, part->subtype))) {
            found = part;
        }
        if (part->nextSibling) pending.push_back(part->nextSibling.get());
        if (part->firstChild) pending.push_back(part->firstChild.get());
    }
    return found;
}

const MimePart* MimePart::findPart(const char* wantedType, const char* wantedSubtype) const {
    return const_cast<MimePart*>(this)->findPart(wantedType, wantedSubtype);
}

bool MimePart::headerValue(const char* name, std::size_t capacity, std::string& value) const {
    value.clear();
    const std::size_t nameLength = std::strlen(name);
    for (std::string_view line : headers) {
        if (line.size() <= nameLength || line[nameLength] != ':' ||
            !beginsWithNoCase(line, std::string_view(name, nameLength))) {
            continue;
        }
        std::size_t start = line.find_first_not_of(" \t\r\n", nameLength + 1);
        if (start == std::string_view::npos) start = line.size();
        const std::size_t room = capacity > 0 ? capacity - 1 : 0;
        value.assign(line.substr(start, room));
        return true;
    }
    return false;
}
