# The Ed25519 public keys whose signature a downloaded check-item document must carry,
# compiled into the program (config/PinnedDocumentKeys.h).
#
# A release pins the bank's keys: TESSALY_DOCUMENT_PUBLIC_KEYS lists their PEM files
# (`openssl pkey -in bank.key -pubout -out bank.pub`); more than one lets a bank roll its key
# over. A release without keys takes documents unsigned, as programs before signatures did.
# A development build pins the test key of cmake/TestCodeSigning.cmake, which its test
# server signs with.
set(TESSALY_DOCUMENT_PUBLIC_KEYS "" CACHE STRING
  "Release: PEM files of the Ed25519 public keys check-item documents must be signed with (;-separated); empty: documents are not checked")

if(TESSALY_RELEASE)
  set(tessaly_pinned_key_files ${TESSALY_DOCUMENT_PUBLIC_KEYS})
else()
  set(tessaly_pinned_key_files ${TESSALY_TEST_DOCUMENT_PUBLIC_KEY})
endif()

# An Ed25519 public key's DER form is a fixed 12-byte prefix followed by the 32-byte key.
set(tessaly_ed25519_der_prefix "302a300506032b6570032100")
find_program(TESSALY_OPENSSL_PROGRAM openssl REQUIRED)
set(tessaly_pinned_keys "")
set(tessaly_pinned_key_count 0)
foreach(pem ${tessaly_pinned_key_files})
  set(der ${CMAKE_BINARY_DIR}/pinned-document-key.der)
  execute_process(COMMAND ${TESSALY_OPENSSL_PROGRAM} pkey -pubin -in ${pem} -outform DER -out ${der}
    RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${pem} is not a public key in PEM form:\n${error}")
  endif()
  file(READ ${der} hex HEX)
  file(REMOVE ${der})
  string(LENGTH "${hex}" hex_length)
  string(SUBSTRING "${hex}" 0 24 prefix)
  if(NOT hex_length EQUAL 88 OR NOT prefix STREQUAL tessaly_ed25519_der_prefix)
    message(FATAL_ERROR "${pem} is not an Ed25519 public key")
  endif()
  string(SUBSTRING "${hex}" 24 64 key)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," key "${key}")
  string(APPEND tessaly_pinned_keys "    {{${key}}},\n")
  math(EXPR tessaly_pinned_key_count "${tessaly_pinned_key_count} + 1")
  set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${pem})
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/config/PinnedDocumentKeys.cpp.in
  ${CMAKE_BINARY_DIR}/generated/PinnedDocumentKeys.cpp @ONLY)
