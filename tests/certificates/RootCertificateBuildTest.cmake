# Script mode: tests how the build obtains the five root-chain certificates.
#   cmake -DSOURCE_DIR=<checkout> [-DWORK_DIR=<scratch>] -P RootCertificateBuildTest.cmake
# - the stand-ins are generated and no key survives the generation;
# - the thumbprint check accepts the right file and names a wrong or missing one;
# - configuring with TESSALY_RELEASE=ON refuses stand-ins, and configuring with a folder of
#   wrong or incomplete genuine certificates fails; the build-time copy checks again.
# Ends with "N passed, N failed" and fails when any case failed.
cmake_minimum_required(VERSION 3.25)
if(NOT SOURCE_DIR)
  message(FATAL_ERROR "SOURCE_DIR must name the checkout")
endif()
if(NOT WORK_DIR)
  string(RANDOM LENGTH 8 suffix)
  set(WORK_DIR /tmp/tessaly-certificate-build-test-${suffix})
endif()
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
include(${SOURCE_DIR}/cmake/RootCertificateTable.cmake)
find_program(OPENSSL openssl REQUIRED)

set(passed 0)
set(failed 0)
# <condition> is the text of an if() condition, evaluated in the caller's scope.
macro(expect condition label)
  set(holds FALSE)
  cmake_language(EVAL CODE "if(${condition})\nset(holds TRUE)\nendif()")
  if(holds)
    math(EXPR passed "${passed} + 1")
    message(STATUS "ok: ${label}")
  else()
    math(EXPR failed "${failed} + 1")
    message(STATUS "FAILED: ${label}")
  endif()
endmacro()

# Runs a command; sets <prefix>_STATUS and <prefix>_OUTPUT (stdout and stderr).
function(run prefix)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(${prefix}_STATUS "${status}" PARENT_SCOPE)
  set(${prefix}_OUTPUT "${output}" PARENT_SCOPE)
endfunction()

# Configures the whole project into a fresh folder with the given cache settings.
function(configure prefix)
  file(REMOVE_RECURSE ${WORK_DIR}/${prefix})
  run(result ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/${prefix} -G Ninja -DTESSALY_TESTS=OFF ${ARGN})
  set(${prefix}_STATUS "${result_STATUS}" PARENT_SCOPE)
  set(${prefix}_OUTPUT "${result_OUTPUT}" PARENT_SCOPE)
endfunction()

# Stand-ins: five DER certificates, and nothing of the keys left behind.
set(standins ${WORK_DIR}/standins)
run(make ${CMAKE_COMMAND} -DOPENSSL=${OPENSSL} -DOUTPUT_DIR=${standins}
    -P ${SOURCE_DIR}/cmake/MakeStandInCertificates.cmake)
expect("make_STATUS EQUAL 0" "stand-ins are generated")
file(GLOB_RECURSE left_behind LIST_DIRECTORIES true ${standins}/*)
list(LENGTH left_behind left_count)
expect("left_count EQUAL 5" "only the five certificates remain, no keys or scratch files")
set(all_der TRUE)
foreach(entry IN LISTS TESSALY_ROOT_CERTIFICATES)
  tessaly_root_certificate_fields("${entry}" cert)
  run(parse ${OPENSSL} x509 -inform DER -in ${standins}/${cert_NAME}.cer -noout -serial)
  if(NOT parse_STATUS EQUAL 0 OR NOT parse_OUTPUT MATCHES "serial=${cert_SERIAL}")
    set(all_der FALSE)
  endif()
endforeach()
expect(all_der "each stand-in is DER with its serial number")

# The thumbprint check itself.
file(SHA1 ${standins}/ROOT_CA.cer root_sha1)
tessaly_check_genuine_certificate(${standins}/ROOT_CA.cer ${root_sha1} error)
expect("error STREQUAL \"\"" "a file with the expected thumbprint is accepted")
string(TOUPPER "${root_sha1}" upper_sha1)
tessaly_check_genuine_certificate(${standins}/ROOT_CA.cer ${upper_sha1} error)
expect("error STREQUAL \"\"" "thumbprints compare without regard to case")
tessaly_check_genuine_certificate(${standins}/ROOT_CA.cer D2790F6BB0A3EF62C674A1AA76A619DF02B21B82 error)
expect("error MATCHES \"has the SHA-1 thumbprint\"" "a stand-in is not taken for the genuine ROOT_CA")
tessaly_check_genuine_certificate(${standins}/NO_SUCH.cer ${root_sha1} error)
expect("error MATCHES \"is missing\"" "a missing file is named")

# Configuring: a release build refuses stand-ins ...
configure(release -DCMAKE_BUILD_TYPE=Release -DTESSALY_RELEASE=ON)
expect("NOT release_STATUS EQUAL 0 AND release_OUTPUT MATCHES \"refuses stand-in root certificates\""
       "a release build without genuine certificates does not configure")
# ... and takes no files whose thumbprints differ ...
configure(wrong -DCMAKE_BUILD_TYPE=Release -DTESSALY_RELEASE=ON -DTESSALY_GENUINE_CERTIFICATES_DIR=${standins})
expect("NOT wrong_STATUS EQUAL 0 AND wrong_OUTPUT MATCHES \"OPERATION_CA2.cer has the SHA-1 thumbprint\""
       "genuine certificates with other thumbprints do not configure")
# ... nor an incomplete folder, release or not.
set(incomplete ${WORK_DIR}/incomplete)
file(MAKE_DIRECTORY ${incomplete})
file(COPY ${standins}/ROOT_CA.cer DESTINATION ${incomplete})
configure(missing -DTESSALY_GENUINE_CERTIFICATES_DIR=${incomplete})
expect("NOT missing_STATUS EQUAL 0 AND missing_OUTPUT MATCHES \"POLICY_CA.cer is missing\""
       "a folder without all genuine certificates does not configure")
# The copy at build time checks again, and copies nothing that fails.
run(copy ${CMAKE_COMMAND} -DSOURCE_DIR=${standins} -DOUTPUT_DIR=${WORK_DIR}/copied
    -P ${SOURCE_DIR}/cmake/CopyGenuineCertificates.cmake)
expect("NOT copy_STATUS EQUAL 0 AND NOT EXISTS ${WORK_DIR}/copied/ROOT_CA.cer"
       "the build-time copy refuses certificates with other thumbprints")

file(REMOVE_RECURSE ${WORK_DIR})
message("${passed} passed, ${failed} failed")
if(failed GREATER 0)
  message(FATAL_ERROR "root certificate build tests failed")
endif()
