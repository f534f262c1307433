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
# every file listed), and the target `tessaly_shipped` builds it with the others. Every
# shipped file carries the project's version as its file and product version (written to
# <build>/shipped-version.txt for that check).
if(WIN32)
  add_custom_target(tessaly_shipped)
  file(WRITE ${CMAKE_BINARY_DIR}/shipped-version.txt "${PROJECT_VERSION}\n")
endif()

# Writes the version resource script `rc` of the file `fileName` (for example "Fennick.dll")
# with the version `version` (four numbers, dotted).
function(tessaly_file_version_resource rc fileName version)
  set(TESSALY_FILE_NAME ${fileName})
  get_filename_component(TESSALY_FILE_BASE_NAME ${fileName} NAME_WE)
  set(TESSALY_FILE_VERSION ${version})
  string(REPLACE "." "," TESSALY_FILE_VERSION_NUMBERS ${version})
  if(fileName MATCHES "\\.[dD][lL][lL]$")
    set(TESSALY_FILE_TYPE VFT_DLL)
  else()
    set(TESSALY_FILE_TYPE VFT_APP)
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/FileVersion.rc.in ${rc} @ONLY)
endfunction()

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
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "SHARED_LIBRARY")
    string(APPEND name ".dll")
  else()
    string(APPEND name ".exe")
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}.version.rc)
  tessaly_file_version_resource(${rc} ${name} ${PROJECT_VERSION})
  target_sources(${target} PRIVATE ${rc})
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
