# Where the constants of Ravelin's external-authentication key come from.
#
# They belong to the key issuer and are not in this repository. A shipped build must carry
# the issuer's: configure it with
#   -DTESSALY_RELEASE=ON -DTESSALY_ISSUER_CONSTANTS_FILE=<file>
# where <file> holds the lines A=<48 bytes>, C=<16 bytes>, P=<128 bytes>, G=<32 bytes> in
# hexadecimal ('#' starts a comment line). TESSALY_RELEASE=ON without that file stops the
# configuration: a shipped adapter must never carry stand-ins. Every other build uses the
# stand-in constants in adapters/ravelin/standin/issuer-constants.txt, which the stand-in
# token manager accepts and no genuine key does.

set(TESSALY_ISSUER_CONSTANTS_FILE "" CACHE FILEPATH
  "File with the key issuer's external-authentication constants; empty builds stand-ins")

# Generates <output> (a C++ source defining tessaly::ravelin::kIssuerConstants) from the
# constants file this build uses, checking every constant's length.
function(tessaly_issuer_constants_source output)
  if(TESSALY_ISSUER_CONSTANTS_FILE)
    set(source "${TESSALY_ISSUER_CONSTANTS_FILE}")
    set(origin "the key issuer's constants")
  elseif(TESSALY_RELEASE)
    # An error that lets the configuration go on, so that one run names every genuine
    # piece a release build still lacks; nothing is generated.
    message(SEND_ERROR "A release build (TESSALY_RELEASE=ON) refuses the stand-in key constants: "
      "set TESSALY_ISSUER_CONSTANTS_FILE to the file with the key issuer's constants.")
    return()
  else()
    set(source "${PROJECT_SOURCE_DIR}/adapters/ravelin/standin/issuer-constants.txt")
    set(origin "stand-in constants for development and tests")
  endif()
  if(NOT EXISTS "${source}")
    message(FATAL_ERROR "Key constants file not found: ${source}")
  endif()
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")

  file(STRINGS "${source}" lines)
  foreach(name_and_size IN ITEMS A:48 C:16 P:128 G:32)
    string(REPLACE ":" ";" pair "${name_and_size}")
    list(GET pair 0 name)
    list(GET pair 1 size)
    set(hex "")
    foreach(line IN LISTS lines)
      if(line MATCHES "^${name}=([0-9a-fA-F]*)$")
        set(hex "${CMAKE_MATCH_1}")
      endif()
    endforeach()
    string(LENGTH "${hex}" digits)
    math(EXPR expected "${size} * 2")
    if(NOT digits EQUAL expected)
      message(FATAL_ERROR "${source}: constant ${name} must be ${size} bytes of hexadecimal")
    endif()
    string(REGEX REPLACE "([0-9a-fA-F][0-9a-fA-F])" "0x\\1," bytes "${hex}")
    set(TESSALY_ISSUER_${name} "${bytes}")
  endforeach()
  set(TESSALY_ISSUER_ORIGIN "${origin}")
  configure_file("${PROJECT_SOURCE_DIR}/adapters/ravelin/IssuerConstants.cpp.in" "${output}" @ONLY)
endfunction()
