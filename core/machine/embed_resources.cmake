# Writes a C++ source that holds the baseline files of a new machine as byte arrays.
#   cmake -DSOURCE_DIR=<resources/baseline> -DOUTPUT=<file.cpp> -P embed_resources.cmake
file(GLOB registry_files RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.reg)
file(GLOB wallpapers RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/wallpapers/*.jpg)
set(names ${registry_files} ${wallpapers})
list(SORT names)

set(arrays "")
set(table "")
set(index 0)
foreach(name ${names})
    file(READ ${SOURCE_DIR}/${name} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REPEAT "0x..," 16 row)
    string(REGEX REPLACE "(${row})" "\\1\n" bytes "${bytes}")
    string(APPEND arrays "const unsigned char File${index}[] = {\n${bytes}\n};\n\n")
    string(APPEND table "    {\"${name}\", {File${index}, sizeof File${index}}},\n")
    math(EXPR index "${index} + 1")
endforeach()

file(WRITE ${OUTPUT}.new "// Generated from resources/baseline by core/machine/embed_resources.cmake; do not edit.
#include \"core/machine/baseline.h\"

namespace core::baseline {
namespace {

${arrays}const File Files[] = {
${table}};

} // namespace

std::span<const File> files()
{
    return Files;
}

const File* find(std::string_view name)
{
    for (const File& file : Files) {
        if (file.name == name)
            return &file;
    }
    return nullptr;
}

} // namespace core::baseline
")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different ${OUTPUT}.new ${OUTPUT})
file(REMOVE ${OUTPUT}.new)
