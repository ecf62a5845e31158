# cmake -DINPUT=<executable> -DOUTPUT=<file.cpp> [-DSTRIP=<strip>] -P EmbedImage.cmake
# Writes a C++ file whose replacer::ReplacerImage() returns the executable's bytes.
if(NOT INPUT OR NOT OUTPUT)
  message(FATAL_ERROR "INPUT and OUTPUT are required")
endif()
set(source "${INPUT}")
if(STRIP)
  # Debug information is of no use in the copy quorvel writes out.
  set(source "${OUTPUT}.stripped")
  execute_process(COMMAND "${STRIP}" --strip-debug -o "${source}" "${INPUT}" RESULT_VARIABLE failed)
  if(failed)
    set(source "${INPUT}")
  endif()
endif()
file(SIZE "${source}" size)
file(READ "${source}" hex HEX)
# 32 bytes to a line of "\xNN" escapes; CMake's regular expressions have no {n}.
string(REPEAT "[0-9a-f]" 64 line)
string(REGEX REPLACE "(${line})" "\\1\n" hex "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" hex "${hex}")
string(REGEX REPLACE "([^\n]+)" "    \"\\1\"" hex "${hex}")
file(WRITE "${OUTPUT}.new"
  "// Generated from quorvel-replacer at build time; do not edit.\n"
  "#include \"replacer/Image.h\"\n\n"
  "namespace {\n"
  "constexpr char kImage[] =\n${hex};\n"
  "static_assert(sizeof(kImage) - 1 == ${size});\n"
  "} // namespace\n\n"
  "std::string_view replacer::ReplacerImage() { return {kImage, sizeof(kImage) - 1}; }\n")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
if(STRIP)
  file(REMOVE "${OUTPUT}.stripped")
endif()
