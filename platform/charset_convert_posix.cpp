// Character-set conversion with glibc's iconv, through UTF-8: the source
// must be valid, characters the target lacks become '?', as a Windows host
// substitutes its default character.
#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <array>
#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "platform/charset_names.h"
#include "platform/charset_convert.h"
#include "platform/no_destructor.h"
#include "platform/seven_bit_charsets.h"

namespace platform {
namespace {

std::size_t utf8SequenceLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

class Iconv {
public:
    Iconv(const std::string& from, const std::string& to) : handle_(iconv_open(to.c_str(), from.c_str())) {}
    ~Iconv() {
        if (valid()) iconv_close(handle_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `input`. An invalid or unconvertible sequence fails
    // the conversion, or with `substitute` (UTF-8 input only) becomes '?'.
    bool convert(const std::string& input, std::string& output, bool substitute) {
        // iconv takes char** but only reads the input.
        char* inPtr = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        // Room for the usual growth at once, so that a large text is not
        // copied again each time the output doubles.
        const std::size_t needed = output.size() + inLeft + inLeft / 8 + 16;
        if (output.capacity() < needed) output.reserve(std::max(needed, 2 * output.capacity()));
        while (true) {
            const std::size_t result = inLeft > 0 ? run(&inPtr, &inLeft, output) : run(nullptr, nullptr, output);
            if (result == kFlushed) return true;
            if (result != kFailed) continue;
            if (!substitute || inLeft == 0) return false;
            const std::size_t skip = std::min(inLeft, utf8SequenceLength(static_cast<unsigned char>(*inPtr)));
            inPtr += skip;
            inLeft -= skip;
            run(nullptr, nullptr, output);  // back to the initial shift state
            output += '?';
        }
    }

private:
    static constexpr std::size_t kFlushed = 0;
    static constexpr std::size_t kConverted = 1;
    static constexpr std::size_t kFailed = 2;

    // One iconv call into a buffer; a call without input flushes the shift
    // state (kFlushed once nothing more comes out).
    std::size_t run(char** in, std::size_t* inLeft, std::string& output) {
        char buffer[4096];
        char* outPtr = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result = iconv(handle_, in, inLeft, &outPtr, &outLeft);
        const int error = errno;
        output.append(buffer, static_cast<std::size_t>(outPtr - buffer));
        if (result == static_cast<std::size_t>(-1)) return error == E2BIG ? kConverted : kFailed;
        return in == nullptr && outPtr == buffer ? kFlushed : kConverted;
    }

    iconv_t handle_;
};

std::optional<std::string> toUtf8Strict(const std::string& text, const std::string& from) {
    Iconv converter(from, "UTF-8");
    if (!converter.valid()) return std::nullopt;
    std::string out;
    if (!converter.convert(text, out, false) || !isWellFormedUtf8(out)) return std::nullopt;
    return out;
}

// UTF-8 itself, or the local code page, which on Linux is UTF-8.
bool isUtf8OrLocal(const std::string& canonical) { return canonical == kLocalCodePage || canonical == "UTF-8"; }

// Charsets of one byte per character whose bytes never combine (glibc's
// WINDOWS-1258 joins a letter and a following accent, so it is not one).
bool isPlainSingleByte(const std::string& charset) {
    return charset.compare(0, 9, "ISO-8859-") == 0 || charset == "KOI8-R" || charset == "KOI8-U" ||
           (charset.compare(0, 8, "WINDOWS-") == 0 && charset != "WINDOWS-1258");
}

// What iconv makes of each byte of a plain single-byte charset on its own,
// so that a large body is decoded in one pass, without iconv's detour
// through UCS-4: the same text, and the same failure on a byte the charset
// does not define.
class SingleByteDecoder {
public:
    explicit SingleByteDecoder(const std::string& charset) {
        for (int byte = 0; byte < 256; ++byte) {
            Iconv converter(charset, "UTF-8");
            if (!converter.valid()) return;
            std::string utf8;
            if (!converter.convert(std::string(1, static_cast<char>(byte)), utf8, false)) continue;  // undefined
            if (utf8.empty() || utf8.size() > kLongest) return;  // not one character a byte after all
            if (!isWellFormedUtf8(utf8)) continue;
            utf8.copy(table_.characters[byte].data(), utf8.size());
            table_.lengths[byte] = static_cast<unsigned char>(utf8.size());
        }
        asciiAsItIs_ = true;
        for (int byte = 0; byte < 0x80; ++byte) {
            asciiAsItIs_ = asciiAsItIs_ && table_.lengths[byte] == 1 && table_.characters[byte][0] == static_cast<char>(byte);
        }
        valid_ = true;
    }

    bool valid() const { return valid_; }
    bool asciiAsItIs() const { return asciiAsItIs_; }
    const ByteCharacters& table() const { return table_; }

    std::optional<std::string> decode(const std::string& text) const {
        const auto size = decodedSize(text);
        if (!size) return std::nullopt;
        std::string out(*size + kSlack, '\0');
        write(text.data(), text.size(), out.data());
        out.resize(*size);
        return out;
    }

    // Over the text itself where its capacity holds the result: the text is
    // moved to the end of its memory and decoded from there to the front,
    // the writing always behind the reading. False, the text untouched, when
    // a byte is undefined.
    bool decodeInPlace(std::string& text) const {
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

private:
    static constexpr std::size_t kLongest = 3;  // every such character lies in the BMP
    static constexpr std::size_t kWord = 8;
    // Each character is stored as four bytes, of which only its own count:
    // the output has this much room beyond its end, and in place the writing
    // stays this far behind the reading.
    static constexpr std::size_t kSlack = 4;

    static bool isAscii(const char* eight) {
        std::uint64_t word;
        std::memcpy(&word, eight, kWord);
        return (word & 0x8080808080808080ull) == 0;
    }

    std::optional<std::size_t> decodedSize(const std::string& text) const {
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

    // Writes the characters of `size` bytes at `out`, four bytes each
    // (kSlack). `out` may lie before `text` in the same memory, at least
    // kSlack bytes before it: each byte is read before the writing reaches it.
    void write(const char* text, std::size_t size, char* out) const {
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

    char* put(unsigned char byte, char* out) const {
        std::memcpy(out, table_.characters[byte].data(), kSlack);
        return out + table_.lengths[byte];
    }

    static_assert(kSlack == sizeof(ByteCharacters::characters[0]), "characters are stored four bytes each");
    ByteCharacters table_{};
    bool asciiAsItIs_ = false;  // every byte below 0x80 is its own character
    bool valid_ = false;
};

// One decoder per charset, made on first use.
const SingleByteDecoder& singleByteDecoder(const std::string& charset) {
    static NoDestructor<std::mutex> lock;
    static NoDestructor<std::map<std::string, std::unique_ptr<SingleByteDecoder>>> decoders;
    const std::lock_guard<std::mutex> guard(lock.get());
    auto& decoder = decoders.get()[charset];
    if (!decoder) decoder = std::make_unique<SingleByteDecoder>(charset);
    return *decoder;
}

std::optional<std::string> fromUtf8Substituting(const std::string& utf8, const std::string& to) {
    Iconv converter("UTF-8", to);
    if (!converter.valid()) return std::nullopt;
    std::string out;
    converter.convert(utf8, out, true);
    return out;
}

std::optional<std::string> decodeToUtf8(const std::string& text, const std::string& labelled) {
    const auto read = sourceCharsetOf(text, labelled);
    if (!read) return std::nullopt;
    const std::string& charset = *read;
    if (charset == "HZ-GB-2312") {
        const auto euc = hzToEucCn(text);
        return euc ? toUtf8Strict(*euc, "CP936") : std::nullopt;
    }
    // What iconv would give byte for byte, without a pass through it: a
    // large UTF-8 body is only checked.
    if (isUtf8OrLocal(charset)) {
        return isWellFormedUtf8(text) ? std::optional<std::string>(text) : std::nullopt;
    }
    if (isPlainSingleByte(charset)) {
        const SingleByteDecoder& decoder = singleByteDecoder(charset);
        if (decoder.valid()) return decoder.decode(text);
    }
    return toUtf8Strict(text, charset);
}

std::optional<std::string> encodeFromUtf8(std::string utf8, const std::string& charset) {
    if (charset == "HZ-GB-2312") {
        const auto gbk = fromUtf8Substituting(utf8, "CP936");
        return gbk ? std::optional<std::string>(eucCnToHz(*gbk)) : std::nullopt;
    }
    if (isUtf8OrLocal(charset)) return utf8;
    return fromUtf8Substituting(utf8, charset);
}

}  // namespace

// The local code page of a Linux host is UTF-8.
std::optional<std::string> convertCharset(const std::string& text, const std::string& from, const std::string& to) {
    const auto source = canonicalCharsetName(from);
    const auto target = canonicalCharsetName(to);
    if (!source || !target) return std::nullopt;
    auto utf8 = decodeToUtf8(text, *source);
    if (!utf8) return std::nullopt;
    return encodeFromUtf8(std::move(*utf8), *target);
}

namespace {

// The decoder that converts a plain single-byte charset into UTF-8 by its
// bytes; none for any other charset.
const SingleByteDecoder* plainSingleByteDecoder(const std::string& canonical) {
    if (!isPlainSingleByte(canonical)) return nullptr;
    const SingleByteDecoder& decoder = singleByteDecoder(canonical);
    return decoder.valid() ? &decoder : nullptr;
}

}  // namespace

bool convertCharsetInPlace(std::string& text, const std::string& from, const std::string& to) {
    const auto source = canonicalCharsetName(from);
    const auto target = canonicalCharsetName(to);
    if (!source || !target) return false;
    if (isUtf8OrLocal(*target)) {
        if (isUtf8OrLocal(*source)) return isWellFormedUtf8(text);
        if (const SingleByteDecoder* decoder = plainSingleByteDecoder(*source)) return decoder->decodeInPlace(text);
    }
    auto converted = convertCharset(text, from, to);
    if (!converted) return false;
    text = std::move(*converted);
    return true;
}

const ByteCharacters* byteCharacters(const std::string& from, const std::string& to) {
    const auto source = canonicalCharsetName(from);
    const auto target = canonicalCharsetName(to);
    if (!source || !target || !isUtf8OrLocal(*target)) return nullptr;
    const SingleByteDecoder* decoder = plainSingleByteDecoder(*source);
    return decoder && decoder->asciiAsItIs() ? &decoder->table() : nullptr;
}

bool systemCodePageLeadByte(unsigned char) { return false; }

}  // namespace platform
