// Writes the whole-process benchmark's messages into a folder: the realistic
// messages of 1, 10 and 25 MB, the 5,000-picture message, and the other
// shapes: long HTML bodies full of picture references, whole-message plain
// texts, thousands of small attachments, each in two proportions; or, given
// sizes, the large ones of those sizes.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/sample_messages.h"

namespace {

bool writeMessage(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && written;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_messages FOLDER [MEGABYTES...]\n"
                             "  with sizes: only realistic-Nmb.eml, html-third-Nmb.eml and plain-Nmb.eml of each size\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bool ok = true;
    if (argc > 2) {
        // Large messages of chosen sizes, to find the largest one a process can answer.
        for (int i = 2; i < argc && ok; ++i) {
            const std::size_t megabytes = std::strtoul(argv[i], nullptr, 10);
            const std::string size = std::to_string(megabytes) + "mb.eml";
            ok = writeMessage(folder + "realistic-" + size, bench::realisticMessage(megabytes << 20)) &&
                 writeMessage(folder + "html-third-" + size,
                              bench::largeHtmlMessage(megabytes << 20, 0.33, 40, static_cast<int>(megabytes * 1600), 0.15)) &&
                 writeMessage(folder + "plain-" + size, bench::plainTextMessage(megabytes << 20, 12));
        }
        if (!ok) std::perror("make_messages");
        return ok ? 0 : 1;
    }
    for (const std::size_t megabytes : {1, 10, 25}) {
        ok = ok && writeMessage(folder + "realistic-" + std::to_string(megabytes) + "mb.eml",
                                bench::realisticMessage(megabytes << 20));
    }
    ok = ok && writeMessage(folder + "pictures-5000.eml", bench::manyPicturesMessage(5000, 1 << 20));
    ok = ok && writeMessage(folder + "html-third-25mb.eml", bench::largeHtmlMessage(25u << 20, 0.33, 40, 40000, 0.15));
    ok = ok && writeMessage(folder + "html-half-10mb.eml", bench::largeHtmlMessage(10u << 20, 0.5, 25, 20000, 0.3));
    ok = ok && writeMessage(folder + "plain-25mb.eml", bench::plainTextMessage(25u << 20, 12));
    ok = ok && writeMessage(folder + "plain-long-10mb.eml", bench::plainTextMessage(10u << 20, 80));
    ok = ok && writeMessage(folder + "attachments-2000.eml", bench::manyAttachmentsMessage(2000, 700));
    ok = ok && writeMessage(folder + "attachments-500.eml", bench::manyAttachmentsMessage(500, 12000));
    ok = ok && writeMessage(folder + "attachments-1.eml", bench::manyAttachmentsMessage(1, 16u << 20));
    if (!ok) std::perror("make_messages");
    return ok ? 0 : 1;
}
