// GMime 3 as a whole process, for the whole-process benchmark: reads the
// message file, parses it and walks its parts, prints the walk's total.
#include <cstdio>
#include <string>

#include "bench/gmime_walk.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gmime_parse_walk MESSAGE\n");
        return 2;
    }
    std::FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
        std::perror(argv[1]);
        return 2;
    }
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    g_mime_init();
    GByteArray* bytes = g_byte_array_sized_new(static_cast<guint>(size));
    g_byte_array_set_size(bytes, static_cast<guint>(size));
    const bool read = std::fread(bytes->data, 1, static_cast<std::size_t>(size), file) == static_cast<std::size_t>(size);
    std::fclose(file);
    if (!read) return 2;
    std::printf("%zu\n", bench::gmimeParseAndWalk(bytes));
    g_byte_array_unref(bytes);
    g_mime_shutdown();
    return 0;
}
