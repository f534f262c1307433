# Throwaway code-signing certificates for development builds and tests.
#
# A development build signs what it builds, and its tests sign test files, with a test
# publisher issued by a test root made here; a second publisher under a root of its own
# plays a signer the program must refuse. Everything lives in <build>/code-signing, is made
# once per build folder (so signatures stay stable between configure runs) and never
# leaves it. A release build makes none of this: it signs with the bank's certificate.
#
# Sets, for the including directory and below:
#   TESSALY_TEST_SIGNING_DIR          the folder
#   TESSALY_TEST_ROOT_CERT            test root certificate (PEM), the trust anchor of tests
#   TESSALY_TEST_PUBLISHER_CERT/_KEY  the test publisher (PEM certificate, PEM key)
#   TESSALY_TEST_PUBLISHER_CHAIN      publisher then root (PEM), for osslsigncode -certs
#   TESSALY_TEST_PUBLISHER_SHA1       the publisher certificate's SHA-1 thumbprint (40 hex
#   TESSALY_TEST_PUBLISHER_SHA256     upper-case digits) and SHA-256 thumbprint (64)
#   TESSALY_OTHER_PUBLISHER_CERT/_KEY/_CHAIN  another publisher, not to be allowed
if(TESSALY_RELEASE)
  return()
endif()

find_program(TESSALY_OPENSSL_PROGRAM openssl REQUIRED)
set(TESSALY_TEST_SIGNING_DIR ${CMAKE_BINARY_DIR}/code-signing)
set(TESSALY_TEST_ROOT_CERT ${TESSALY_TEST_SIGNING_DIR}/test-root.pem)
set(TESSALY_TEST_PUBLISHER_CERT ${TESSALY_TEST_SIGNING_DIR}/test-publisher.pem)
set(TESSALY_TEST_PUBLISHER_KEY ${TESSALY_TEST_SIGNING_DIR}/test-publisher.key)
set(TESSALY_TEST_PUBLISHER_CHAIN ${TESSALY_TEST_SIGNING_DIR}/test-publisher-chain.pem)
set(TESSALY_OTHER_PUBLISHER_CERT ${TESSALY_TEST_SIGNING_DIR}/other-publisher.pem)
set(TESSALY_OTHER_PUBLISHER_KEY ${TESSALY_TEST_SIGNING_DIR}/other-publisher.key)
set(TESSALY_OTHER_PUBLISHER_CHAIN ${TESSALY_TEST_SIGNING_DIR}/other-publisher-chain.pem)

function(tessaly_signing_openssl)
  execute_process(COMMAND ${TESSALY_OPENSSL_PROGRAM} ${ARGN}
    WORKING_DIRECTORY ${TESSALY_TEST_SIGNING_DIR}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    file(REMOVE_RECURSE ${TESSALY_TEST_SIGNING_DIR})
    message(FATAL_ERROR "openssl ${ARGN} failed:\n${output}")
  endif()
endfunction()

# A root <stem>-root and a code-signing publisher <stem>-publisher under it.
function(tessaly_make_test_publisher stem organisation)
  set(root ${stem}-root)
  set(publisher ${stem}-publisher)
  tessaly_signing_openssl(req -x509 -newkey rsa:2048 -nodes -sha256 -days 3650
    -keyout ${root}.key -out ${root}.pem -subj "/O=${organisation}/CN=${organisation} Root"
    -addext "basicConstraints=critical,CA:true" -addext "keyUsage=critical,keyCertSign,cRLSign")
  tessaly_signing_openssl(req -new -newkey rsa:2048 -nodes -sha256
    -keyout ${publisher}.key -out ${publisher}.csr -subj "/O=${organisation}/CN=${organisation} Publisher")
  file(WRITE ${TESSALY_TEST_SIGNING_DIR}/${publisher}.ext
    "basicConstraints=critical,CA:false\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
  tessaly_signing_openssl(x509 -req -in ${publisher}.csr -CA ${root}.pem -CAkey ${root}.key
    -CAcreateserial -days 3650 -sha256 -extfile ${publisher}.ext -out ${publisher}.pem)
  file(READ ${TESSALY_TEST_SIGNING_DIR}/${publisher}.pem publisher_pem)
  file(READ ${TESSALY_TEST_SIGNING_DIR}/${root}.pem root_pem)
  file(WRITE ${TESSALY_TEST_SIGNING_DIR}/${publisher}-chain.pem "${publisher_pem}${root_pem}")
  # Nothing more is ever issued under these roots.
  file(REMOVE ${TESSALY_TEST_SIGNING_DIR}/${root}.key ${TESSALY_TEST_SIGNING_DIR}/${publisher}.csr)
endfunction()

if(NOT EXISTS ${TESSALY_TEST_SIGNING_DIR}/.complete)
  file(REMOVE_RECURSE ${TESSALY_TEST_SIGNING_DIR})
  file(MAKE_DIRECTORY ${TESSALY_TEST_SIGNING_DIR})
  tessaly_make_test_publisher(test "Tessaly Test")
  tessaly_make_test_publisher(other "Tessaly Other Test")
  file(TOUCH ${TESSALY_TEST_SIGNING_DIR}/.complete)
endif()

# "SHA1 Fingerprint=AB:CD:..." to "ABCD...".
function(tessaly_certificate_thumbprint certificate digest out_var)
  execute_process(COMMAND ${TESSALY_OPENSSL_PROGRAM} x509 -in ${certificate} -noout -fingerprint -${digest}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE error OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot read the thumbprint of ${certificate}:\n${error}")
  endif()
  string(REGEX REPLACE "^.*=" "" thumbprint "${output}")
  string(REPLACE ":" "" thumbprint "${thumbprint}")
  string(TOUPPER "${thumbprint}" thumbprint)
  set(${out_var} ${thumbprint} PARENT_SCOPE)
endfunction()
tessaly_certificate_thumbprint(${TESSALY_TEST_PUBLISHER_CERT} sha1 TESSALY_TEST_PUBLISHER_SHA1)
tessaly_certificate_thumbprint(${TESSALY_TEST_PUBLISHER_CERT} sha256 TESSALY_TEST_PUBLISHER_SHA256)

# Ed25519 keys for check-item documents: the test key development builds pin and the test
# server signs with, and another key whose documents the program must refuse. Unlike the
# certificates they are made once per checkout (in build/document-signing), not per build
# folder: the one test server serves the 32-bit and the 64-bit builds alike.
#   TESSALY_TEST_DOCUMENT_KEY / _PUBLIC_KEY    the pinned test key (PEM private / public)
#   TESSALY_OTHER_DOCUMENT_KEY                  another key (PEM private)
set(TESSALY_TEST_DOCUMENT_DIR ${PROJECT_SOURCE_DIR}/build/document-signing)
set(TESSALY_TEST_DOCUMENT_KEY ${TESSALY_TEST_DOCUMENT_DIR}/document-signing.key)
set(TESSALY_TEST_DOCUMENT_PUBLIC_KEY ${TESSALY_TEST_DOCUMENT_DIR}/document-signing.pub)
set(TESSALY_OTHER_DOCUMENT_KEY ${TESSALY_TEST_DOCUMENT_DIR}/other-document-signing.key)
if(NOT EXISTS ${TESSALY_TEST_DOCUMENT_DIR}/.complete)
  file(MAKE_DIRECTORY ${TESSALY_TEST_DOCUMENT_DIR})
  foreach(key ${TESSALY_TEST_DOCUMENT_KEY} ${TESSALY_OTHER_DOCUMENT_KEY})
    execute_process(COMMAND ${TESSALY_OPENSSL_PROGRAM} genpkey -algorithm ed25519 -out ${key}
      RESULT_VARIABLE status ERROR_VARIABLE error)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "cannot make the test document key ${key}:\n${error}")
    endif()
  endforeach()
  execute_process(COMMAND ${TESSALY_OPENSSL_PROGRAM} pkey -in ${TESSALY_TEST_DOCUMENT_KEY} -pubout
    -out ${TESSALY_TEST_DOCUMENT_PUBLIC_KEY} RESULT_VARIABLE status ERROR_VARIABLE error)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot write the test document public key:\n${error}")
  endif()
  file(TOUCH ${TESSALY_TEST_DOCUMENT_DIR}/.complete)
endif()

# Signs a Windows target's file after every build with the test publisher, as a release
# signs with the bank's certificate, so that the program's own signature check lets it run.
# Beside it the tests find the same file unsigned (<name>-unsigned<ext>) and signed by the
# other publisher (<name>-other<ext>): what an attacker would serve.
find_program(TESSALY_OSSLSIGNCODE osslsigncode)
function(tessaly_sign_for_tests target)
  if(NOT TESSALY_OSSLSIGNCODE)
    message(FATAL_ERROR "osslsigncode is needed to sign ${target} (scripts/setup.sh installs it)")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:${target}> -DOSSLSIGNCODE=${TESSALY_OSSLSIGNCODE}
            -DPUBLISHER_CHAIN=${TESSALY_TEST_PUBLISHER_CHAIN} -DPUBLISHER_KEY=${TESSALY_TEST_PUBLISHER_KEY}
            -DOTHER_CHAIN=${TESSALY_OTHER_PUBLISHER_CHAIN} -DOTHER_KEY=${TESSALY_OTHER_PUBLISHER_KEY}
            -P ${PROJECT_SOURCE_DIR}/cmake/SignTestFile.cmake
    VERBATIM)
endfunction()
