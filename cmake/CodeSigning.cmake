# Who signs what the Windows builds ship: Authenticode, SHA-256, with osslsigncode.
#
# The signing identity is one of
#   -DTESSALY_SIGNING_PKCS12=<file.p12>                       the bank's certificate and key
#   -DTESSALY_SIGNING_PKCS11_MODULE=<token's PKCS#11 module>  a key on a token, with
#    -DTESSALY_SIGNING_PKCS11_KEY=<pkcs11: URI of the key>    the key on it and
#    -DTESSALY_SIGNING_CERTIFICATES=<PEM: publisher, then chain>
# with, for either, an optional -DTESSALY_SIGNING_PASSWORD_FILE=<file> (the PKCS#12 password
# or the token's PIN, read by osslsigncode, never stored in the build) and an optional
# -DTESSALY_TIMESTAMP_URL=<RFC 3161 server>. Without one, a development build signs with its
# throwaway test publisher (cmake/TestCodeSigning.cmake) and a release build refuses to
# configure: a release never ships an unsigned or test-signed file.
#
# Sets TESSALY_SIGN_COMMAND: the command that signs the files named after it, in place.
set(TESSALY_SIGNING_PKCS12 "" CACHE FILEPATH "PKCS#12 file with the code-signing certificate and key")
set(TESSALY_SIGNING_PKCS11_MODULE "" CACHE FILEPATH "PKCS#11 module of the token holding the code-signing key")
set(TESSALY_SIGNING_PKCS11_KEY "" CACHE STRING "pkcs11: URI of the code-signing key on the token")
set(TESSALY_SIGNING_CERTIFICATES "" CACHE FILEPATH
  "PEM file with the code-signing certificate followed by its chain (with a PKCS#11 key)")
set(TESSALY_SIGNING_PASSWORD_FILE "" CACHE FILEPATH "File holding the PKCS#12 password or the token's PIN")
set(TESSALY_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server for the signatures (optional)")
set(TESSALY_PKCS11_ENGINE "" CACHE FILEPATH "OpenSSL's PKCS#11 engine (found when empty)")

function(tessaly_refuse_signing reason)
  message(FATAL_ERROR "Code signing: ${reason}")
endfunction()

function(tessaly_require_file variable)
  if(NOT EXISTS "${${variable}}" OR IS_DIRECTORY "${${variable}}")
    tessaly_refuse_signing("${variable} names no file: '${${variable}}'")
  endif()
endfunction()

# Adds osslsigncode arguments, one a line: paths and URIs keep their spaces and semicolons.
set(options_text "")
macro(tessaly_signing_options)
  foreach(argument IN ITEMS ${ARGV})
    string(APPEND options_text "${argument}\n")
  endforeach()
endmacro()

find_program(TESSALY_OSSLSIGNCODE osslsigncode REQUIRED)
if(TESSALY_SIGNING_PKCS12 AND TESSALY_SIGNING_PKCS11_MODULE)
  tessaly_refuse_signing("name either TESSALY_SIGNING_PKCS12 or TESSALY_SIGNING_PKCS11_MODULE, not both")
elseif(TESSALY_SIGNING_PKCS12)
  tessaly_require_file(TESSALY_SIGNING_PKCS12)
  tessaly_signing_options(-pkcs12 ${TESSALY_SIGNING_PKCS12})
elseif(TESSALY_SIGNING_PKCS11_MODULE)
  tessaly_require_file(TESSALY_SIGNING_PKCS11_MODULE)
  tessaly_require_file(TESSALY_SIGNING_CERTIFICATES)
  if(NOT TESSALY_SIGNING_PKCS11_KEY MATCHES "^pkcs11:")
    tessaly_refuse_signing("TESSALY_SIGNING_PKCS11_KEY must be the key's pkcs11: URI")
  endif()
  if(NOT TESSALY_PKCS11_ENGINE)
    execute_process(COMMAND openssl version -e OUTPUT_VARIABLE engines_line)
    string(REGEX REPLACE "^ENGINESDIR: \"([^\"]*)\".*$" "\\1" engines_dir "${engines_line}")
    set(TESSALY_PKCS11_ENGINE ${engines_dir}/pkcs11.so)
  endif()
  tessaly_require_file(TESSALY_PKCS11_ENGINE)
  tessaly_signing_options(-pkcs11engine ${TESSALY_PKCS11_ENGINE} -pkcs11module ${TESSALY_SIGNING_PKCS11_MODULE}
    -certs ${TESSALY_SIGNING_CERTIFICATES} -key)
  string(APPEND options_text "${TESSALY_SIGNING_PKCS11_KEY}\n")
elseif(TESSALY_RELEASE)
  tessaly_refuse_signing("a release build needs the bank's code-signing certificate: "
    "-DTESSALY_SIGNING_PKCS12=<file> or -DTESSALY_SIGNING_PKCS11_MODULE=<module> "
    "with TESSALY_SIGNING_PKCS11_KEY and TESSALY_SIGNING_CERTIFICATES")
else()
  tessaly_signing_options(-certs ${TESSALY_TEST_PUBLISHER_CHAIN} -key ${TESSALY_TEST_PUBLISHER_KEY})
endif()
if(TESSALY_SIGNING_PASSWORD_FILE)
  tessaly_require_file(TESSALY_SIGNING_PASSWORD_FILE)
  tessaly_signing_options(-readpass ${TESSALY_SIGNING_PASSWORD_FILE})
endif()
if(TESSALY_TIMESTAMP_URL)
  tessaly_signing_options(-ts ${TESSALY_TIMESTAMP_URL})
endif()

set(TESSALY_SIGNING_OPTIONS_FILE ${CMAKE_BINARY_DIR}/code-signing-options.txt)
file(CONFIGURE OUTPUT ${TESSALY_SIGNING_OPTIONS_FILE} CONTENT "${options_text}" @ONLY)
get_filename_component(sign_script ${CMAKE_CURRENT_LIST_DIR}/../installer/authenticode-sign.sh ABSOLUTE)
set(TESSALY_SIGN_COMMAND bash ${sign_script}
  ${TESSALY_OSSLSIGNCODE} ${TESSALY_SIGNING_OPTIONS_FILE})
