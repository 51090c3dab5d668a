#include "platform/single_byte_decoder.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "platform/no_destructor.h"

namespace platform {
namespace {

constexpr std::size_t kLongest = 3;  // every such character lies in the BMP
constexpr std::size_t kWord = 8;
// Each character is stored as four bytes, of which only its own count: the
// output has this much room beyond its end, and in place the writing stays
// this far behind the reading.
constexpr std::size_t kSlack = 4;
static_assert(kSlack == sizeof(ByteCharacters::characters[0]), "characters are stored four bytes each");

bool isAscii(const char* eight) {
    std::uint64_t word;
    std::memcpy(&word, eight, kWord);
    return (word & 0x8080808080808080ull) == 0;
}

}  // namespace

SingleByteDecoder::SingleByteDecoder(const ByteText& byteText) {
    for (int byte = 0; byte < 256; ++byte) {
        const std::optional<std::string> utf8 = byteText(static_cast<unsigned char>(byte));
        if (!utf8) continue;                                   // undefined
        if (utf8->empty() || utf8->size() > kLongest) return;  // not one character a byte after all
        if (!isWellFormedUtf8(*utf8)) continue;
        utf8->copy(table_.characters[byte].data(), utf8->size());
        table_.lengths[byte] = static_cast<unsigned char>(utf8->size());
    }
    asciiAsItIs_ = true;
    for (int byte = 0; byte < 0x80; ++byte) {
        asciiAsItIs_ = asciiAsItIs_ && table_.lengths[byte] == 1 && table_.characters[byte][0] == static_cast<char>(byte);
    }
    valid_ = true;
}

std::optional<std::string> SingleByteDecoder::decode(const std::string& text) const {
    const auto size = decodedSize(text);
    if (!size) return std::nullopt;
    std::string out(*size + kSlack, '\0');
    write(text.data(), text.size(), out.data());
    out.resize(*size);
    return out;
}

bool SingleByteDecoder::decodeInPlace(std::string& text) const {
    const auto size = decodedSize(text);
    if (!size) return false;
    if (*size + kSlack > text.capacity()) {
        text = *decode(text);
        return true;
    }
    const std::size_t given = text.size();
    text.resize(*size + kSlack);
    char* const start = text.data();
    const std::size_t moved = *size + kSlack - given;
    std::memmove(start + moved, start, given);
    write(start + moved, given, start);
    text.resize(*size);
    return true;
}

std::optional<std::size_t> SingleByteDecoder::decodedSize(const std::string& text) const {
    std::size_t size = 0;
    unsigned char undefined = 0;
    const auto add = [&](char c) {
        const unsigned char length = table_.lengths[static_cast<unsigned char>(c)];
        undefined |= static_cast<unsigned char>(length == 0);
        size += length;
    };
    const std::size_t words = asciiAsItIs_ ? text.size() / kWord * kWord : 0;
    for (std::size_t i = 0; i < words; i += kWord) {
        if (isAscii(text.data() + i)) {
            size += kWord;
        } else {
            for (std::size_t k = i; k < i + kWord; ++k) add(text[k]);
        }
    }
    for (std::size_t i = words; i < text.size(); ++i) add(text[i]);
    if (undefined) return std::nullopt;
    return size;
}

void SingleByteDecoder::write(const char* text, std::size_t size, char* out) const {
    const std::size_t words = asciiAsItIs_ ? size / kWord * kWord : 0;
    for (std::size_t i = 0; i < words; i += kWord) {
        std::uint64_t word;
        std::memcpy(&word, text + i, kWord);
        if ((word & 0x8080808080808080ull) == 0) {
            std::memcpy(out, &word, kWord);
            out += kWord;
            continue;
        }
        char bytes[kWord];
        std::memcpy(bytes, &word, kWord);
        for (const char c : bytes) out = put(static_cast<unsigned char>(c), out);
    }
    for (std::size_t i = words; i < size; ++i) out = put(static_cast<unsigned char>(text[i]), out);
}

char* SingleByteDecoder::put(unsigned char byte, char* out) const {
    std::memcpy(out, table_.characters[byte].data(), kSlack);
    return out + table_.lengths[byte];
}

bool isPlainSingleByte(const std::string& canonical) {
    return canonical.compare(0, 9, "ISO-8859-") == 0 || canonical == "KOI8-R" || canonical == "KOI8-U" ||
           (canonical.compare(0, 8, "WINDOWS-") == 0 && canonical != "WINDOWS-1258");
}

const SingleByteDecoder* plainSingleByteDecoder(const std::string& canonical) {
    if (!isPlainSingleByte(canonical)) return nullptr;
    static NoDestructor<std::mutex> lock;
    static NoDestructor<std::map<std::string, std::unique_ptr<SingleByteDecoder>>> decoders;
    const std::lock_guard<std::mutex> guard(lock.get());
    auto found = decoders.get().find(canonical);
    if (found == decoders.get().end()) {
        std::unique_ptr<SingleByteDecoder> made;
        if (const std::optional<SingleByteDecoder::ByteText> byteText = systemByteText(canonical)) {
            made = std::make_unique<SingleByteDecoder>(*byteText);
            if (!made->valid()) made.reset();
        }
        found = decoders.get().emplace(canonical, std::move(made)).first;
    }
    return found->second.get();
}

}  // namespace platform
