#include "mime/part_bodies.h"

#include <cstring>
#include <strings.h>

#include "mime/extended_parameter.h"
#include "mime/safe_file_name.h"
#include "platform/files.h"
#include "platform/host_block.h"
#include "text/no_case.h"

namespace {

constexpr std::size_t kDispositionCapacity = 8191;
constexpr std::size_t kRawNameCapacity = 1024;
constexpr std::size_t kDecodedNameCapacity = 1000;
constexpr std::size_t kHtmlEncodingCapacity = 99;
constexpr std::size_t kAttachmentEncodingCapacity = 24;
// Collision folders tried before an attachment is given up.
constexpr int kCollisionFolderAttempts = 8;

using Converter = int(BKA_CALL*)(const char*, const char*, int);


Converter converterFor(const char* encoding) {
    if (beginsWithNoCase(encoding, "quoted-printable")) return hostApi().BKA_QPConvert;
    if (beginsWithNoCase(encoding, "base64")) return hostApi().BKA_B64Convert;
    return nullptr;
}

std::string untilNul(std::string text) {
    text.resize(std::strlen(text.c_str()));
    return text;
}

// Encoded text through the host's converter and back. The decoded file is
// emptied first so that a converter that fails, or a code file that cannot
// be written, never hands back an earlier extraction's HTML.
std::string decodeThroughFiles(const std::string& encoded, const char* codePath, const char* decodedPath,
                               Converter convert) {
    if (!platform::writeFile(std::string(), decodedPath)) return std::string();
    if (!platform::writeFile(encoded, codePath)) return std::string();
    convert(decodedPath, codePath, 0);
    auto decoded = platform::readFile(decodedPath);
    return decoded ? untilNul(std::move(*decoded)) : std::string();
}

std::string hostText(const char* text) { return text ? text : ""; }

}  // namespace

bool extractHtmlPart(MimePart& root, std::string& output) {
    MimePart* html = root.findPart("text", "html");
    if (!html) return false;
    std::string encodingValue;
    html->headerValue("Content-Transfer-Encoding", kHtmlEncodingCapacity, encodingValue);
    char* encoding = root.transferEncodingBuffer();
    const char* encodingText = encodingValue.c_str();
    if (encoding) {
        std::memcpy(encoding, encodingValue.c_str(), encodingValue.size() + 1);
        encodingText = encoding;
    }

    std::string result = joinLines(html->body);
    if (beginsWithNoCase(encodingText, "quoted-printable")) {
        result = decodeThroughFiles(result, root.scratchPath(MimePart::kQuotedPrintableCode),
                                    root.scratchPath(MimePart::kQuotedPrintableDecoded), hostApi().BKA_QPConvert);
    } else if (beginsWithNoCase(encodingText, "base64")) {
        result = decodeThroughFiles(result, root.scratchPath(MimePart::kBase64Code),
                                    root.scratchPath(MimePart::kBase64Decoded), hostApi().BKA_B64Convert);
    }
    output = std::move(result);
    html->body.clear();
    return true;
}

bool bodyIsSaved(const MimePart& part) { return isAttachment(part) || beginsWithNoCase(part.type, "image"); }

void saveAttachment(MimePart& part, AttachmentList& list, bool save) {
    if (!isAttachment(part)) return;
    std::string disposition;
    part.headerValue("Content-Disposition", kDispositionCapacity, disposition);
    std::string rawName;
    if (!headerParameter(disposition, "filename", rawName)) return;
    std::string decodedName = decodedParameterValue(disposition, rawName, [](std::string name) {
        name.resize(std::min(name.size(), kRawNameCapacity - 1));
        HostBlock buffer = allocateHostBlock(kDecodedNameCapacity);
        if (!buffer) return name;
        hostApi().BKA_MIMEHeader(name.c_str(), buffer.get(), static_cast<int>(kDecodedNameCapacity), 0);
        buffer.get()[kDecodedNameCapacity - 1] = '\0';
        return std::string(buffer.get());
    });
    decodedName.resize(std::min(decodedName.size(), kDecodedNameCapacity - 1));

    // The sender chooses the name: it must not lead out of the folder.
    std::string fileName = safeFileName(decodedName);
    if (fileName.empty()) fileName = safeFileName(lastPathComponent(hostText(hostApi().BKA_GetTempFileName("dat"))));
    if (fileName.empty()) return;

    std::string folder = hostText(hostApi().BKA_GetTempFolder());
    if (save) {
        std::string path = folder + fileName;
        for (int attempts = 0; platform::pathExists(path); ++attempts) {
            // Every fresh folder that could not be made is given up; after a
            // few the attachment is neither saved nor listed.
            if (attempts == kCollisionFolderAttempts) return;
            const std::string fresh = hostText(hostApi().BKA_GetTempFileName("dup"));
            if (!fresh.empty() && platform::createDirectory(fresh)) {
                folder = fresh + platform::kPathSeparator;
                path = folder + fileName;
            }
        }
        std::string encoding;
        part.headerValue("Content-Transfer-Encoding", kAttachmentEncodingCapacity, encoding);
        writeLines(part.body, path);
        if (Converter convert = converterFor(encoding.c_str())) convert(path.c_str(), path.c_str(), 0);
    }
    list.push_back({folder, fileName});
}
