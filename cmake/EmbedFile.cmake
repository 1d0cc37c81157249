# cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedFile.cmake
# Writes a C++ source that defines `const unsigned char SYMBOL[]` with the bytes of INPUT.
file(READ "${INPUT}" bytes HEX)
file(SIZE "${INPUT}" size)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT}; do not edit.\n#include <cstddef>\nnamespace qm {\nextern const unsigned char ${SYMBOL}[] = {\n${bytes}};\nextern const std::size_t ${SYMBOL}Size = ${size};\n}  // namespace qm\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
