#include "mime/inline_images.h"

#include "mime/extended_parameter.h"
#include "mime/safe_file_name.h"
#include "mime/trim_content_id.h"
#include "platform/files.h"
#include "text/no_case.h"

namespace {

constexpr std::size_t kContentIdCapacity = 1024;
constexpr std::size_t kHeaderCapacity = 9999;


std::string extensionOfSubtype(const std::string& subtype) {
    if (beginsWithNoCase(subtype, "jpeg")) return "jpg";
    if (beginsWithNoCase(subtype, "gif")) return "gif";
    if (beginsWithNoCase(subtype, "bmp")) return "bmp";
    if (beginsWithNoCase(subtype, "png")) return "png";
    if (beginsWithNoCase(subtype, "tiff")) return "tiff";
    return "img";
}

// `name` is the parameter that headerParameter found in `header`.
std::string extensionOfName(const std::string& header, const std::string& name) {
    const std::string text = decodedParameterValue(header, name, [](const std::string& raw) {
        const char* decoded = hostApi().BKA_MIMEHeader(raw.c_str(), nullptr, 0, 0);
        return std::string(decoded ? decoded : "");
    });
    const std::size_t dot = text.rfind('.');
    if (dot == std::string::npos) return "img";
    // The extension becomes part of a path: it must not name another folder.
    const std::string extension = safeExtension(text.substr(dot + 1));
    return extension.empty() ? "img" : extension;
}

// The file name of the fresh temporary path that the host made for `extension`.
std::string freshFileName(const std::string& extension) {
    const char* fresh = hostApi().BKA_GetTempFileName(extension.c_str());
    return lastPathComponent(fresh ? fresh : "");
}

}  // namespace

void saveInlineImage(MimePart& part, ContentIdList& list) {
    if (!beginsWithNoCase(part.type, "image")) return;
    std::string contentId;
    part.headerValue("Content-Id", kContentIdCapacity, contentId);
    if (contentId.empty()) return;

    std::string header;
    std::string name;
    part.headerValue("Content-Disposition", kHeaderCapacity, header);
    bool named = headerParameter(header, "filename", name);
    if (!named) {
        part.headerValue("Content-Type", kHeaderCapacity, header);
        named = headerParameter(header, "name", name);
    }
    const std::string extension = named ? extensionOfName(header, name) : extensionOfSubtype(part.subtype);

    const std::string fileName = freshFileName(extension);
    if (fileName.empty()) return;
    const char* folder = hostApi().BKA_GetTempFolder();
    const std::string imagePath = std::string(folder ? folder : "") + fileName;
    const std::size_t dot = fileName.rfind('.');
    const std::string copyPath =
        std::string(folder ? folder : "") + fileName.substr(0, dot == std::string::npos ? fileName.size() : dot) + ".timg";

    writeLines(part.body, copyPath);
    std::string encoding;
    part.headerValue("Content-Transfer-Encoding", kHeaderCapacity, encoding);
    if (beginsWithNoCase(encoding, "quoted-printable")) {
        hostApi().BKA_QPConvert(imagePath.c_str(), copyPath.c_str(), 0);
    } else if (beginsWithNoCase(encoding, "base64")) {
        hostApi().BKA_B64Convert(imagePath.c_str(), copyPath.c_str(), 0);
    } else {
        // Not transfer-encoded: the stored lines are the picture, so the
        // reference gets a file to point at.
        writeLines(part.body, imagePath);
    }
    list.emplace_back(trimContentId(contentId), imagePath);
}
