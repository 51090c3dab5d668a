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
#include "platform/seven_bit_charsets.h"
#include "platform/single_byte_decoder.h"

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

}  // namespace

std::optional<SingleByteDecoder::ByteText> systemByteText(const std::string& canonical) {
    if (!Iconv(canonical, "UTF-8").valid()) return std::nullopt;
    return SingleByteDecoder::ByteText([canonical](unsigned char byte) -> std::optional<std::string> {
        Iconv converter(canonical, "UTF-8");
        std::string utf8;
        if (!converter.convert(std::string(1, static_cast<char>(byte)), utf8, false)) return std::nullopt;
        return utf8;
    });
}

namespace {

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
    if (const SingleByteDecoder* decoder = plainSingleByteDecoder(charset)) return decoder->decode(text);
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
