# The string table comes from one UTF-8 file (strings.txt, lines "id<TAB>Name<TAB>text").
# It is read at configure time and turned into two outputs: a STRINGTABLE section for the
# Windows resource script, and a C++ header with an id constant per string and the same
# texts as a table, so portable code and tests see exactly what LoadStringW will return.

# Sets <rc_out> to the resource-script section and <header_out> to the header text.
function(tessaly_string_table source rc_out header_out)
  file(READ ${source} content)
  # CMake lists split at ";" and pair brackets; park them so a text may hold any character.
  string(REPLACE ";" "@SEMICOLON@" content "${content}")
  string(REPLACE "[" "@OPEN@" content "${content}")
  string(REPLACE "]" "@CLOSE@" content "${content}")
  string(REPLACE "\r" "" content "${content}")
  string(REPLACE "\n" ";" lines "${content}")

  set(rc_rows "")
  set(constants "")
  set(rows "")
  set(seen_ids "")
  foreach(line IN LISTS lines)
    if(line STREQUAL "" OR line MATCHES "^#")
      continue()
    endif()
    if(NOT line MATCHES "^([0-9]+)\t([A-Za-z][A-Za-z0-9]*)\t(.*)$")
      message(FATAL_ERROR "${source}: not \"id<TAB>Name<TAB>text\": ${line}")
    endif()
    set(id ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    set(text "${CMAKE_MATCH_3}")
    if(id GREATER 65535 OR id EQUAL 0)
      message(FATAL_ERROR "${source}: string id ${id} is outside 1..65535")
    endif()
    if(id IN_LIST seen_ids)
      message(FATAL_ERROR "${source}: string id ${id} appears twice")
    endif()
    list(APPEND seen_ids ${id})
    string(REPLACE "@SEMICOLON@" ";" text "${text}")
    string(REPLACE "@OPEN@" "[" text "${text}")
    string(REPLACE "@CLOSE@" "]" text "${text}")

    # The resource compiler doubles quotes and escapes backslashes; C++ escapes both.
    string(REPLACE "\\" "\\\\" escaped "${text}")
    string(REPLACE "\"" "\"\"" rc_text "${escaped}")
    string(REPLACE "\"" "\\\"" cpp_text "${escaped}")
    string(APPEND rc_rows "  ${id}, \"${rc_text}\"\n")
    string(APPEND constants "inline constexpr unsigned kString${name} = ${id};\n")
    string(APPEND rows "    {${id}, u\"${cpp_text}\"},\n")
  endforeach()

  set(${rc_out} "#pragma code_page(65001)\nSTRINGTABLE\nBEGIN\n${rc_rows}END\n" PARENT_SCOPE)
  set(${header_out} "// Generated from resources/strings.txt; do not edit.
#pragma once

#include <string_view>

namespace tessaly {

${constants}
struct ProgramStringEntry {
  unsigned id = 0;
  std::u16string_view text{};
};

inline constexpr ProgramStringEntry kProgramStrings[] = {
${rows}};

}  // namespace tessaly
" PARENT_SCOPE)
endfunction()
