// Writes the whole-process benchmark's messages into a folder: the realistic
// messages of 1, 10 and 25 MB and the 5,000-picture message.
#include <cstdio>
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
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_messages FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    bool ok = true;
    for (const std::size_t megabytes : {1, 10, 25}) {
        ok = ok && writeMessage(folder + "realistic-" + std::to_string(megabytes) + "mb.eml",
                                bench::realisticMessage(megabytes << 20));
    }
    ok = ok && writeMessage(folder + "pictures-5000.eml", bench::manyPicturesMessage(5000, 1 << 20));
    if (!ok) std::perror("make_messages");
    return ok ? 0 : 1;
}
