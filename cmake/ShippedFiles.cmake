# The files that go to the customers' PCs. A target joins with one line after it is
# defined:
#
#   tessaly_ship(<target>)
#
# and a custom target that makes Windows files joins with the files it makes:
#
#   tessaly_ship_file(<target> <file>...)
#
# In a Windows build its output file is then listed in <build>/shipped-files.txt, one path
# a line, which scripts/check-shipped-files.py checks (Windows XP SP3 must be able to load
# every file listed), and the target `tessaly_shipped` builds it with the others.
if(WIN32)
  add_custom_target(tessaly_shipped)
endif()

function(tessaly_ship target)
  if(NOT WIN32)
    return()
  endif()
  get_property(shipped GLOBAL PROPERTY TESSALY_SHIPPED_TARGETS)
  if(target IN_LIST shipped)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY TESSALY_SHIPPED_TARGETS ${target})
  add_dependencies(tessaly_shipped ${target})
endfunction()

function(tessaly_ship_file target)
  if(NOT WIN32)
    return()
  endif()
  set_property(GLOBAL APPEND PROPERTY TESSALY_SHIPPED_FILES ${ARGN})
  add_dependencies(tessaly_shipped ${target})
endfunction()

# Written once every directory has been read, so targets shipped anywhere are listed.
function(tessaly_write_shipped_files)
  get_property(shipped GLOBAL PROPERTY TESSALY_SHIPPED_TARGETS)
  set(files "")
  foreach(target IN LISTS shipped)
    string(APPEND files "$<TARGET_FILE:${target}>\n")
  endforeach()
  get_property(made GLOBAL PROPERTY TESSALY_SHIPPED_FILES)
  foreach(file IN LISTS made)
    string(APPEND files "${file}\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/shipped-files.txt CONTENT "${files}")
endfunction()
if(WIN32)
  cmake_language(DEFER CALL tessaly_write_shipped_files)
endif()
