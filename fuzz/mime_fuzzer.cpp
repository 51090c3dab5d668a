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

// A body's text and its number of lines.
std::string bodyOf(const LineList& body) { return joinLines(body) + "|" + std::to_string(body.size()); }

// Every part's lines, list by list, in pre-order; without bodies, each as an
// empty one.
std::vector<std::string> listsOf(MimePart& root, bool bodies = true) {
    std::vector<std::string> lists;
    forEachPart(root, [&](MimePart& part) {
        lists.push_back(part.type + "/" + part.subtype);
        lists.push_back(joinLines(part.headers));
        lists.push_back(bodies ? bodyOf(part.body) : bodyOf(LineList()));
        lists.push_back(joinLines(part.epilogue));
    });
    return lists;
}

// A tree that reads its bodies in place must hold what one that copies them
// holds. The compose flow's tree keeps only the bodies it saves, in place:
// apart from the other bodies it must be the whole tree, and stay so once
// those bodies are copied out and the text is gone.
void checkTreesAgree(const std::string& text, MimePart& inPlace) {
    MimePart copied;
    const char* cursor = text.c_str();
    copied.parse(cursor, nullptr);
    if (listsOf(inPlace) != listsOf(copied)) fail("the tree read in place differs from the copied one");

    std::string source = text;
    MimePart filtered;
    filtered.setBodyFilter(bodyIsSaved);
    filtered.setBodiesInPlace();
    cursor = source.c_str();
    filtered.parse(cursor, nullptr);
    std::vector<std::string> expected = listsOf(copied, false);
    std::size_t index = 0;
    forEachPart(copied, [&](MimePart& part) {
        if (bodyIsSaved(part)) expected[index + 2] = bodyOf(part.body);
        index += 4;
    });
    if (listsOf(filtered) != expected) fail("the filtered tree dropped a saved body, kept another or differs beyond them");
    forEachPart(filtered, [](MimePart& part) { part.body.storeLinesInPlace(); });
    source.assign(source.size(), 'x');
    if (listsOf(filtered) != expected) fail("bodies copied out of the text differ");
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
        root.setBodiesInPlace();
        const char* cursor = text.c_str();
        root.parse(cursor, nullptr);
        if (cursor < text.c_str() || cursor > text.c_str() + std::strlen(text.c_str())) fail("cursor out of the text");
        checkTreesAgree(text, root);
        exercise(root);
    }
    if (hostsim::simHost().outstandingBlocks() != 0) fail("host blocks not given back");
    if (hostsim::simHost().invalidFrees() != 0) fail("unknown blocks given back");
    checkNothingEscaped();

    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(tempFolder)) fs::remove_all(entry.path(), ignored);
    return 0;
}
