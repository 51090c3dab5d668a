// Arbitrary bytes as a message: parsed, searched, and its attachments,
// inline images and HTML written through the simulated host into a scratch
// folder. Nothing may crash or leak, every host block must be given back,
// and nothing may be written outside the host's temporary folder.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "mime/inline_images.h"
#include "mime/mime_part.h"
#include "mime/part_bodies.h"
#include "platform/host_api.h"
#include "tools/hostsim/host_functions.h"
#include "tools/hostsim/sim_host.h"

namespace fs = std::filesystem;

namespace {

std::string scratchRoot;  // holds "temp" (the host's folder) and "cwd" (the working directory)
std::string tempFolder;

[[noreturn]] void fail(const std::string& what) {
    std::fprintf(stderr, "mime_fuzzer: %s\n", what.c_str());
    std::abort();
}

// Below the temporary folder once "." and ".." are resolved.
bool insideTempFolder(const std::string& path) {
    const std::string normal = fs::path(path).lexically_normal().string();
    return normal.size() > tempFolder.size() && normal.compare(0, tempFolder.size(), tempFolder) == 0;
}

// The converters write their output file: it must be in the folder too.
int checkedConvert(const char* output, const char* input, int flags, hostfn::ConvertFile convert) {
    if (!output || !insideTempFolder(output)) fail(std::string("converter output outside the folder: ") + (output ? output : "null"));
    return convert(output, input, flags);
}
int BKA_CALL checkedB64(const char* output, const char* input, int flags) {
    return checkedConvert(output, input, flags, &BKA_B64Convert);
}
int BKA_CALL checkedQP(const char* output, const char* input, int flags) {
    return checkedConvert(output, input, flags, &BKA_QPConvert);
}

void checkNothingEscaped() {
    for (const auto& entry : fs::recursive_directory_iterator(scratchRoot)) {
        const std::string path = entry.path().string();
        if (path == tempFolder.substr(0, tempFolder.size() - 1) || path == scratchRoot + "/cwd") continue;
        if (entry.is_symlink()) fail("symbolic link made: " + path);
        if (!insideTempFolder(path)) fail("written outside the temporary folder: " + path);
    }
}

void exercise(MimePart& root) {
    root.findPart("text", "html");
    root.findPart(nullptr, "plain");
    root.findPart("multipart", nullptr);
    std::string value;
    std::string parameter;
    forEachPart(root, [&](MimePart& part) {
        for (const char* header : {"Content-Type", "Content-Disposition", "Content-Id", "Content-Transfer-Encoding"}) {
            if (part.headerValue(header, 100, value)) {
                for (const char* name : {"filename", "name", "boundary", "charset"}) headerParameter(value, name, parameter);
            }
        }
        isAttachment(part);
        isInline(part);
        joinLines(part.body);
    });

    AttachmentList attachments;
    visit2(root, saveAttachment, attachments, false);
    visit2(root, saveAttachment, attachments, true);
    for (const AttachmentEntry& entry : attachments) {
        if (!insideTempFolder(entry.folder + entry.fileName) || entry.fileName.empty() || entry.fileName == "." ||
            entry.fileName == ".." || entry.fileName.find_first_of("/\\") != std::string::npos) {
            fail("attachment listed outside the folder: " + entry.folder + " | " + entry.fileName);
        }
    }
    ContentIdList images;
    visit(root, saveInlineImage, images);
    for (const auto& image : images) {
        if (!insideTempFolder(image.second) || image.second.find('/', tempFolder.size()) != std::string::npos) {
            fail("image outside the folder: " + image.second);
        }
    }
    std::string html;
    extractHtmlPart(root, html);
    rewriteContentIds(html, images);
}

// The compose flow's tree keeps only the bodies it saves: apart from the
// other bodies, it must be the whole tree.
void checkFilteredTree(const std::string& text, MimePart& whole) {
    MimePart filtered;
    filtered.setBodyFilter(bodyIsSaved);
    const char* cursor = text.c_str();
    filtered.parse(cursor, nullptr);
    std::vector<MimePart*> wholeParts;
    forEachPart(whole, [&](MimePart& part) { wholeParts.push_back(&part); });
    std::size_t index = 0;
    forEachPart(filtered, [&](MimePart& part) {
        if (index >= wholeParts.size()) fail("the filtered tree has more parts");
        const MimePart& same = *wholeParts[index++];
        if (part.type != same.type || part.subtype != same.subtype || joinLines(part.headers) != joinLines(same.headers) ||
            joinLines(part.epilogue) != joinLines(same.epilogue))
            fail("the filtered tree differs beyond its bodies");
        if (joinLines(part.body) != (bodyIsSaved(same) ? joinLines(same.body) : std::string()))
            fail("the filtered tree dropped a saved body or kept another");
    });
    if (index != wholeParts.size()) fail("the filtered tree has fewer parts");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/torvane-mime-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) fail("no scratch folder");
    scratchRoot = pattern;
    tempFolder = scratchRoot + "/temp/";
    fs::create_directory(tempFolder);
    fs::create_directory(scratchRoot + "/cwd");
    // Relative paths would land here, where the escape check sees them.
    if (chdir((scratchRoot + "/cwd").c_str()) != 0) fail("cannot enter the scratch folder");
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(scratchRoot, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    hostsim::simHost().reset();
    hostsim::installSimulatedHost();
    hostsim::simHost().tempFolder = tempFolder;
    hostApi().BKA_B64Convert = &checkedB64;
    hostApi().BKA_QPConvert = &checkedQP;

    // Host texts end at their first NUL, as the message source does.
    const std::string text(reinterpret_cast<const char*>(data), size);
    {
        MimePart root;
        const char* cursor = text.c_str();
        root.parse(cursor, nullptr);
        if (cursor < text.c_str() || cursor > text.c_str() + std::strlen(text.c_str())) fail("cursor out of the text");
        checkFilteredTree(text, root);
        exercise(root);
    }
    if (hostsim::simHost().outstandingBlocks() != 0) fail("host blocks not given back");
    if (hostsim::simHost().invalidFrees() != 0) fail("unknown blocks given back");
    checkNothingEscaped();

    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(tempFolder)) fs::remove_all(entry.path(), ignored);
    return 0;
}
