# Writes OUTPUT, a C++ source defining `const char NAME[]` with the bytes of
# INPUT followed by a NUL, and `const std::size_t NAME_SIZE` (without it).
# Run as: cmake -DINPUT=... -DOUTPUT=... -DNAME=... -P embed_file.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.partial"
    "// Made from ${INPUT} at build time.\n#include <cstddef>\n\n"
    "extern const char ${NAME}[] = {\n    ${bytes}0x00};\n"
    "extern const std::size_t ${NAME}_SIZE = ${size};\n")
file(RENAME "${OUTPUT}.partial" "${OUTPUT}")
