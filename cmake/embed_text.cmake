# cmake -DINPUT=file -DOUTPUT=file.cpp -DFUNCTION=qualified::name -P embed_text.cmake
# Writes a C++ source whose function returns the input file's text.
file(READ "${INPUT}" text)
string(FIND "${text}" ")orv_text\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} contains the raw-string terminator )orv_text\"")
endif()
string(REGEX MATCH "^(.*)::([^:]+)$" _ "${FUNCTION}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${INPUT} by cmake/embed_text.cmake; edit that file instead.
#include <string_view>
namespace ${CMAKE_MATCH_1} {
std::string_view ${CMAKE_MATCH_2}()
{
    static constexpr std::string_view text = R\"orv_text(${text})orv_text\";
    return text;
}
}
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
