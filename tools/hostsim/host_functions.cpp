#include "tools/hostsim/host_functions.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/file_text.h"
#include "platform/files.h"
#include "platform/large_blocks.h"
#include "text/no_case.h"
#include "tools/hostsim/converters.h"
#include "tools/hostsim/sim_host.h"

using hostsim::simHost;

namespace {

void record(const char* name) {
    if (simHost().recordsCalls) simHost().calls.emplace_back(name);
}

// Copies text into a caller's buffer of `size` bytes, cut and NUL-terminated.
int copyToBuffer(const std::string& text, char* buffer, int size) {
    if (!buffer || size <= 0) return 0;
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

char* hostBlock(const std::string& text) {
    char* block = static_cast<char*>(simHost().allocate(text.size() + 1));
    if (block) std::memcpy(block, text.c_str(), text.size() + 1);
    return block;
}

// The message's source from its file: the file's mapping where the host
// maps it and the system can, else read into a fresh block.
char* storedSourceBlock(const std::string& path, std::size_t offset) {
    if (simHost().mapsSourceFile) {
        if (char* offered = simHost().takeOfferedSource()) return offered;
        std::optional<platform::FileText> text = platform::FileText::open(path, offset);
        if (!text) return hostBlock(std::string());
        if (text->mapped()) return simHost().adopt(std::move(*text));
        return hostBlock(text->release());
    }
    std::FILE* file = platform::openFile(path, "rb");
    if (!file) return hostBlock(std::string());
    std::setvbuf(file, nullptr, _IONBF, 0);
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
    const std::size_t length = size > static_cast<long>(offset) ? static_cast<std::size_t>(size) - offset : 0;
    char* block = static_cast<char*>(simHost().allocate(length + 1));
    if (block && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0) {
        block[std::fread(block, 1, length, file)] = '\0';
    }
    std::fclose(file);
    return block;
}

// Decodes a piece of a file over itself: returns the bytes written and sets
// `consumed` to the characters used; the rest comes again at the front of
// the next piece. `atEnd`: nothing follows the piece.
using PieceDecoder = std::function<std::size_t(char* piece, std::size_t size, bool atEnd, std::size_t& consumed)>;

struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using OwnedFile = std::unique_ptr<std::FILE, FileClose>;

// The file is read and decoded a piece at a time: a large attachment is not
// held in memory, its text and its bytes are never there at once. A file
// decoded into itself (as the plug-in saves attachments) is written over
// behind what is read, which decoding never overtakes, and cut to length,
// not emptied first: ext4 writes a file emptied and filled again to disk
// when it is closed, which made saving thousands of attachments several
// times slower than copying them.
int convertFile(const char* outputPath, const char* inputPath, const PieceDecoder& decode) {
    if (!outputPath || !inputPath) return 0;
    // Over itself, one stream reads and writes: opening the file a second
    // time cost more than the decoding of a small attachment.
    const bool inPlace = std::strcmp(outputPath, inputPath) == 0;
    OwnedFile input(platform::openFile(inputPath, inPlace ? "r+b" : "rb"));
    if (!input) return 0;
    OwnedFile separate(inPlace ? nullptr : platform::openFile(outputPath, "wb"));
    if (!inPlace && !separate) return 0;
    std::FILE* const reader = input.get();
    std::FILE* const writer = inPlace ? input.get() : separate.get();
    std::setvbuf(reader, nullptr, _IONBF, 0);
    std::setvbuf(writer, nullptr, _IONBF, 0);

    // A piece and what is decoded from it stay in the processor's cache
    // between the read and the write: a 25 MB message with a few
    // attachments of megabytes rendered in 41 ms with 64 KB pieces, in 56 ms
    // with pieces of 256 KB (tmpfs), and no shape was faster with others.
    constexpr std::size_t kPiece = 64 * 1024;
    std::size_t capacity = kPiece;
    platform::LargeBlock buffer = platform::allocateLargeBlock(capacity);
    std::size_t held = 0;
    unsigned long long read = 0;
    unsigned long long written = 0;
    bool ok = true;
    for (;;) {
        const std::size_t room = capacity - held;
        // A stream that was written must be placed again before it reads,
        // and before it writes after reading.
        if (inPlace && written > 0) ok = ok && platform::seekOpenFile(reader, read);
        const std::size_t got = ok ? std::fread(buffer.get() + held, 1, room, reader) : 0;
        read += got;
        held += got;
        // fread stops short only at the end of the file or on an error.
        const bool atEnd = got < room;
        std::size_t consumed = 0;
        const std::size_t produced = decode(buffer.get(), held, atEnd, consumed);
        if (produced > 0) {
            if (inPlace) ok = ok && platform::seekOpenFile(writer, written);
            ok = ok && std::fwrite(buffer.get(), 1, produced, writer) == produced;
        }
        written += produced;
        std::memmove(buffer.get(), buffer.get() + consumed, held - consumed);
        held -= consumed;
        if (atEnd || !ok) break;
        // Only a line longer than the piece makes it grow.
        if (held == capacity) {
            platform::LargeBlock larger = platform::allocateLargeBlock(capacity * 2);
            std::memcpy(larger.get(), buffer.get(), held);
            buffer = std::move(larger);
            capacity *= 2;
        }
    }
    // A file opened afresh holds just what was written; one written over
    // itself is cut after it.
    ok = ok && !std::ferror(reader) && (!inPlace || platform::truncateOpenFile(writer, written));
    // Closing the written stream can still fail, and then so does the decoding.
    ok = std::fclose((inPlace ? input : separate).release()) == 0 && ok;
    return ok ? 1 : 0;
}

const char* convertToLocal(const char* slot, const char* text, const std::string& from) {
    const std::string input = text ? text : "";
    const auto converted = hostsim::convertCharset(input, from, simHost().localCodePage);
    return simHost().keep(slot, converted ? *converted : input);
}

}  // namespace

extern "C" {

const char* BKA_CALL BKA_GetVersion() {
    record("BKA_GetVersion");
    return simHost().keep("version", simHost().version);
}

void BKA_CALL BKA_GetWindowHandles(HostWindow* mainWindow, HostWindow* treeView, HostWindow* listView,
                                   HostWindow* messageView) {
    record("BKA_GetWindowHandles");
    HostWindow* outputs[] = {mainWindow, treeView, listView, messageView};
    for (int i = 0; i < 4; ++i) {
        if (outputs[i]) *outputs[i] = simHost().windowHandles[i];
    }
}

int BKA_CALL BKA_RegisterCommand(const char* name, int menuKind, HostCommandCallback callback) {
    record("BKA_RegisterCommand");
    hostsim::RegisteredCommand command{name ? name : "", menuKind, callback, simHost().nextCommandId++};
    simHost().commands.push_back(command);
    return command.id;
}

const char* BKA_CALL BKA_GetDataFolder() {
    record("BKA_GetDataFolder");
    return simHost().keep("dataFolder", simHost().dataFolder);
}

const char* BKA_CALL BKA_GetTempFolder() {
    record("BKA_GetTempFolder");
    return simHost().keep("tempFolder", simHost().tempFolder);
}

const char* BKA_CALL BKA_GetTempFileName(const char* extension) {
    record("BKA_GetTempFileName");
    static unsigned counter = 0;
    const std::string suffix = extension ? extension : "";
    std::string path;
    do {
        char name[32];
        std::snprintf(name, sizeof name, "tv%05X.", ++counter & 0xFFFFF);
        path = simHost().tempFolder + name + suffix;
    } while (platform::pathExists(path));
    return simHost().keep("tempFileName", path);
}

const char* BKA_CALL BKA_GetCurrentMailBox() {
    record("BKA_GetCurrentMailBox");
    return simHost().keep("currentMailBox", simHost().currentMailBox);
}

const char* BKA_CALL BKA_GetCurrentFolder() {
    record("BKA_GetCurrentFolder");
    return simHost().keep("currentFolder", simHost().currentFolder);
}

const char* BKA_CALL BKA_GetCurrentMail() {
    record("BKA_GetCurrentMail");
    return simHost().keep("currentMail", simHost().message.id);
}

HostWindow BKA_CALL BKA_ComposeMail(const char* /*to*/) {
    record("BKA_ComposeMail");
    if (!simHost().composeMailHandler) return nullptr;
    HostWindow window = simHost().composeMailHandler();
    if (window) simHost().compositions[window];
    return window;
}

int BKA_CALL BKA_GetCharSet(const char* /*mailId*/, char* buffer, int size) {
    record("BKA_GetCharSet");
    return copyToBuffer(simHost().message.charset, buffer, size);
}

char* BKA_CALL BKA_GetSource(const char* /*mailId*/) {
    record("BKA_GetSource");
    const hostsim::SimMessage& message = simHost().message;
    if (message.rawSource.empty() && !message.sourceFile.empty()) {
        return storedSourceBlock(message.sourceFile, message.sourceOffset);
    }
    return hostBlock(message.rawSource);
}

const char* BKA_CALL BKA_GetText(char* mimeType, int size) {
    record("BKA_GetText");
    copyToBuffer(simHost().message.bodyMimeType, mimeType, size);
    // The host keeps the body; a large one is not copied to be handed out.
    return simHost().message.bodyText.c_str();
}

int BKA_CALL BKA_GetSpecifiedHeader(const char* name, char* buffer, int size) {
    record("BKA_GetSpecifiedHeader");
    if (const std::string* value = simHost().messageHeader(name)) return copyToBuffer(*value, buffer, size);
    // An absent header leaves the buffer as it was, as a real host may.
    return 0;
}

char* BKA_CALL BKA_CompGetSource(HostWindow window) {
    record("BKA_CompGetSource");
    return hostBlock(simHost().compositions[window].source);
}

void BKA_CALL BKA_CompSetSource(HostWindow window, const char* source) {
    record("BKA_CompSetSource");
    simHost().compositions[window].source = source ? source : "";
}

int BKA_CALL BKA_CompGetSpecifiedHeader(HostWindow window, const char* name, char* buffer, int size) {
    record("BKA_CompGetSpecifiedHeader");
    if (name && equalNoCase("Subject", name)) {
        return copyToBuffer(simHost().compositions[window].subject, buffer, size);
    }
    return 0;
}

void BKA_CALL BKA_CompSetText(HostWindow window, int /*flags*/, const char* text) {
    record("BKA_CompSetText");
    simHost().compositions[window].bodyText = text ? text : "";
}

void* BKA_CALL BKA_Alloc(int size) {
    record("BKA_Alloc");
    if (simHost().allocationsFail) return nullptr;
    if (simHost().refusedAllocationSize != 0 && static_cast<std::size_t>(size) == simHost().refusedAllocationSize)
        return nullptr;
    return simHost().allocate(size < 0 ? 0 : static_cast<std::size_t>(size));
}

void* BKA_CALL BKA_ReAlloc(void* block, int size) {
    record("BKA_ReAlloc");
    if (simHost().allocationsFail) return nullptr;
    void* fresh = simHost().allocate(size < 0 ? 0 : static_cast<std::size_t>(size));
    simHost().release(block);
    return fresh;
}

void BKA_CALL BKA_Free(void* block) {
    record("BKA_Free");
    simHost().release(block);
}

const char* BKA_CALL BKA_UTF_8(const char* text, int /*direction*/) {
    record("BKA_UTF_8");
    return convertToLocal("utf8", text, "UTF-8");
}

const char* BKA_CALL BKA_UTF_7(const char* text, int /*direction*/) {
    record("BKA_UTF_7");
    return convertToLocal("utf7", text, "UTF-7");
}

int BKA_CALL BKA_B64Convert(const char* outputPath, const char* inputPath, int /*flags*/) {
    record("BKA_B64Convert");
    hostsim::Base64Decoder decoder;
    return convertFile(outputPath, inputPath, [&](char* piece, std::size_t size, bool, std::size_t& consumed) {
        consumed = size;
        return decoder.decode(piece, size, piece);
    });
}

int BKA_CALL BKA_QPConvert(const char* outputPath, const char* inputPath, int /*flags*/) {
    record("BKA_QPConvert");
    return convertFile(outputPath, inputPath, [](char* piece, std::size_t size, bool atEnd, std::size_t& consumed) {
        // Whole lines only, until the end.
        const std::size_t lastLineFeed = std::string_view(piece, size).rfind('\n');
        consumed = atEnd ? size : lastLineFeed == std::string_view::npos ? 0 : lastLineFeed + 1;
        return hostsim::decodeQuotedPrintableInPlace(piece, consumed);
    });
}

const char* BKA_CALL BKA_MIMEHeader(const char* text, char* buffer, int size, int /*flags*/) {
    record("BKA_MIMEHeader");
    const std::string decoded = hostsim::decodeEncodedWords(text ? text : "", simHost().localCodePage, simHost().message.charset);
    if (buffer && size > 0) {
        copyToBuffer(decoded, buffer, size);
        return buffer;
    }
    return simHost().keep("mimeHeader", decoded);
}

#define TORVANE_UNUSED_HOST_FUNCTION(name) \
    void BKA_CALL BKA_##name() { record("BKA_" #name); }
TORVANE_UNUSED_HOST_FUNCTION(Command)
TORVANE_UNUSED_HOST_FUNCTION(RegisterUICallback)
TORVANE_UNUSED_HOST_FUNCTION(SetCurrentMailBox)
TORVANE_UNUSED_HOST_FUNCTION(SetCurrentFolder)
TORVANE_UNUSED_HOST_FUNCTION(GetFolderDisplayName)
TORVANE_UNUSED_HOST_FUNCTION(SetMessageText)
TORVANE_UNUSED_HOST_FUNCTION(SetCurrentMail)
TORVANE_UNUSED_HOST_FUNCTION(GetNextMail)
TORVANE_UNUSED_HOST_FUNCTION(SetSel)
TORVANE_UNUSED_HOST_FUNCTION(AppendMessage)
TORVANE_UNUSED_HOST_FUNCTION(MoveSelectedMessages)
TORVANE_UNUSED_HOST_FUNCTION(GetStatus)
TORVANE_UNUSED_HOST_FUNCTION(SetSource)
TORVANE_UNUSED_HOST_FUNCTION(GetHeader)
TORVANE_UNUSED_HOST_FUNCTION(SetText)
TORVANE_UNUSED_HOST_FUNCTION(SetSpecifiedHeader)
TORVANE_UNUSED_HOST_FUNCTION(CompGetCharSet)
TORVANE_UNUSED_HOST_FUNCTION(CompGetHeader)
TORVANE_UNUSED_HOST_FUNCTION(CompSetSpecifiedHeader)
TORVANE_UNUSED_HOST_FUNCTION(CompGetText)
TORVANE_UNUSED_HOST_FUNCTION(CompAttachFile)
TORVANE_UNUSED_HOST_FUNCTION(ISO_2022_JP)
TORVANE_UNUSED_HOST_FUNCTION(ISO_2022_KR)
TORVANE_UNUSED_HOST_FUNCTION(HZ_GB2312)
TORVANE_UNUSED_HOST_FUNCTION(ISO_8859_2)
TORVANE_UNUSED_HOST_FUNCTION(EUC_JP)
TORVANE_UNUSED_HOST_FUNCTION(SerializeRcpts)
TORVANE_UNUSED_HOST_FUNCTION(Connect)
TORVANE_UNUSED_HOST_FUNCTION(SetStatus)
TORVANE_UNUSED_HOST_FUNCTION(NextUnread)
TORVANE_UNUSED_HOST_FUNCTION(ProcessMail)
TORVANE_UNUSED_HOST_FUNCTION(GetSize)
#undef TORVANE_UNUSED_HOST_FUNCTION

}  // extern "C"
