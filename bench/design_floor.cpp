// The file work that the plug-in's design asks of a render, and nothing
// else: read the message, then for each file the render leaves, write the
// part's encoded lines to a new file and have them decoded as the host's
// converter does, reading the file back 64 KB at a time and writing the
// decoded bytes over it (or, for a picture, into a second file), cut to
// length. The decoded bytes are not computed but taken ready from the plan,
// so that what is timed is the files alone.
//
//   design_floor MESSAGE FOLDER PLAN
//
// PLAN (written by whole_process.py) holds a line per file: "inplace" or
// "separate", then the offset and size of its encoded lines in the file
// PLAN.encoded and of its decoded bytes in PLAN.decoded: two files mapped
// once, so that the plan is not read file by file for thousands of parts.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

struct Mapped {
    explicit Mapped(const std::string& path) {
        const int descriptor = open(path.c_str(), O_RDONLY);
        struct stat info {};
        if (descriptor < 0 || fstat(descriptor, &info) != 0) std::exit(1);
        size = static_cast<std::size_t>(info.st_size);
        if (size > 0) {
            data = static_cast<const char*>(mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, descriptor, 0));
        }
        close(descriptor);
        if (data == MAP_FAILED) std::exit(1);
    }
    ~Mapped() {
        if (size > 0) munmap(const_cast<char*>(data), size);
    }
    const char* data = "";
    std::size_t size = 0;
};

char piece[65536];

int create(const std::string& path) {
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (descriptor < 0) std::exit(1);
    return descriptor;
}

// At most 1 MB a write, as the plug-in writes.
void writeAll(int descriptor, const char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t wrote = write(descriptor, data + done, std::min<std::size_t>(size - done, 1 << 20));
        if (wrote <= 0) std::exit(1);
        done += static_cast<std::size_t>(wrote);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    const int message = open(argv[1], O_RDONLY);
    while (message >= 0 && read(message, piece, sizeof piece) > 0) {
    }
    close(message);
    std::ifstream plan(argv[3]);
    const Mapped allEncoded(std::string(argv[3]) + ".encoded"), allDecoded(std::string(argv[3]) + ".decoded");
    std::string kind;
    std::size_t encodedAt, encodedSize, decodedAt, decodedSize;
    for (int index = 0; plan >> kind >> encodedAt >> encodedSize >> decodedAt >> decodedSize; ++index) {
        if (encodedAt + encodedSize > allEncoded.size || decodedAt + decodedSize > allDecoded.size) return 1;
        const struct {
            const char* data;
            std::size_t size;
        } encoded{allEncoded.data + encodedAt, encodedSize}, decoded{allDecoded.data + decodedAt, decodedSize};
        const std::string name = std::string(argv[2]) + "/f" + std::to_string(index);
        const int file = create(name);
        writeAll(file, encoded.data, encoded.size);
        const int output = kind == "inplace" ? file : create(name + ".decoded");
        std::size_t read = 0, written = 0;
        for (ssize_t got; (got = pread(file, piece, sizeof piece, static_cast<off_t>(read))) > 0;) {
            read += static_cast<std::size_t>(got);
            // As much as this piece decodes into, at most.
            const std::size_t bytes = std::min(decoded.size - written, static_cast<std::size_t>(got) * 3 / 4 + 3);
            std::copy(decoded.data + written, decoded.data + written + bytes, piece);
            if (pwrite(output, piece, bytes, static_cast<off_t>(written)) != static_cast<ssize_t>(bytes)) return 1;
            written += bytes;
        }
        // Never, for base64 or quoted-printable: neither decodes into more than it reads.
        if (written < decoded.size &&
            pwrite(output, decoded.data + written, decoded.size - written, static_cast<off_t>(written)) < 0) {
            return 1;
        }
        if (ftruncate(output, static_cast<off_t>(decoded.size)) != 0) return 1;
        if (output != file) close(output);
        close(file);
    }
    return 0;
}
