# The publishers whose signed code the program runs, registers or places
# (platform/AllowedPublishers.h).
#
# A release lists the bank's signer certificates by SHA-256 thumbprint in
# TESSALY_CODE_PUBLISHERS (`openssl x509 -in signer.pem -noout -fingerprint -sha256`; colons
# and case do not matter), and allows Microsoft's own publisher for the certificate-enrolment
# controls, which come from Windows. A release without thumbprints refuses every downloaded
# piece of code. A development build allows the test publisher of
# cmake/TestCodeSigning.cmake only.
set(TESSALY_CODE_PUBLISHERS "" CACHE STRING
  "Release: SHA-256 thumbprints of the signer certificates whose code the program runs (;-separated)")

if(TESSALY_RELEASE)
  set(tessaly_publishers ${TESSALY_CODE_PUBLISHERS})
  set(tessaly_platform_publisher true)
  if(NOT tessaly_publishers)
    message(WARNING "TESSALY_CODE_PUBLISHERS is empty: this release refuses every downloaded installer")
  endif()
else()
  set(tessaly_publishers ${TESSALY_TEST_PUBLISHER_SHA256})
  set(tessaly_platform_publisher false)
endif()

set(tessaly_publisher_entries "")
set(tessaly_publisher_count 0)
foreach(thumbprint ${tessaly_publishers})
  string(REGEX REPLACE "[: ]" "" thumbprint "${thumbprint}")
  string(TOUPPER "${thumbprint}" thumbprint)
  if(NOT thumbprint MATCHES "^[0-9A-F]+$")
    message(FATAL_ERROR "TESSALY_CODE_PUBLISHERS: ${thumbprint} is not a hexadecimal thumbprint")
  endif()
  string(LENGTH "${thumbprint}" length)
  if(NOT length EQUAL 64)
    message(FATAL_ERROR "TESSALY_CODE_PUBLISHERS: ${thumbprint} is not a SHA-256 thumbprint (64 digits)")
  endif()
  string(APPEND tessaly_publisher_entries "    \"${thumbprint}\",\n")
  math(EXPR tessaly_publisher_count "${tessaly_publisher_count} + 1")
endforeach()
configure_file(${PROJECT_SOURCE_DIR}/platform/AllowedPublishers.cpp.in
  ${CMAKE_BINARY_DIR}/generated/AllowedPublishers.cpp @ONLY)
