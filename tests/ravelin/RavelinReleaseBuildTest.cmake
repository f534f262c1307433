# What Ravelin's build takes as deployment data: stand-in key constants and middleware in a
# development build; in a release build only the issuer's constants and the six genuine
# files (by name and size), refusing to configure without them.
# usage: cmake -DSOURCE_DIR=<repository> [-DWORK_DIR=<scratch folder>] -P RavelinReleaseBuildTest.cmake
# Ends with "N passed, N failed".
if(NOT WORK_DIR)
  set(WORK_DIR ${CMAKE_CURRENT_BINARY_DIR}/ravelin-release-build)
endif()
set(work ${WORK_DIR})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/genuine ${work}/wrong-size)
set(passed 0)
set(failed 0)

function(configure name expect_success)
  set(build ${work}/build-${name})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR}/tests/ravelin/release-build -B ${build}
                          -DTESSALY_SOURCE_DIR=${SOURCE_DIR} ${ARGN}
                  RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  set(ok FALSE)
  if(expect_success AND status EQUAL 0)
    set(ok TRUE)
  elseif(NOT expect_success AND NOT status EQUAL 0 AND output MATCHES "${expected_message}")
    set(ok TRUE)
  endif()
  set(last_build ${build} PARENT_SCOPE)
  if(ok)
    math(EXPR passed "${passed} + 1")
  else()
    math(EXPR failed "${failed} + 1")
    message("FAIL: ${name} (status ${status}):\n${output}")
  endif()
  set(passed ${passed} PARENT_SCOPE)
  set(failed ${failed} PARENT_SCOPE)
endfunction()

function(expect_file_contains name file text)
  file(READ ${file} content)
  string(FIND "${content}" "${text}" at)
  if(at EQUAL -1)
    math(EXPR failed "${failed} + 1")
    message("FAIL: ${name}: ${file} lacks ${text}")
  else()
    math(EXPR passed "${passed} + 1")
  endif()
  set(passed ${passed} PARENT_SCOPE)
  set(failed ${failed} PARENT_SCOPE)
endfunction()

# The issuer's constants in the file format, and the six files at their genuine sizes.
string(REPEAT "ab" 48 a)
string(REPEAT "cd" 16 c)
string(REPEAT "ef" 128 p)
string(REPEAT "01" 32 g)
file(WRITE ${work}/issuer.txt "# the issuer's\nA=${a}\nC=${c}\nP=${p}\nG=${g}\n")
file(WRITE ${work}/short.txt "A=${a}\nC=cdcd\nP=${p}\nG=${g}\n")
foreach(entry IN ITEMS TokenMgr.dll:265984 wdkMgr.dll:140088 WDAlg.dll:144184 WatchSafe.ini:2558
                       hodll.dll:159488 protectini.ini:111)
  string(REPLACE ":" ";" fields ${entry})
  list(GET fields 0 file_name)
  list(GET fields 1 size)
  string(REPEAT "x" ${size} content)
  file(WRITE ${work}/genuine/${file_name} "${content}")
  file(WRITE ${work}/wrong-size/${file_name} "${content}")
endforeach()
file(APPEND ${work}/wrong-size/hodll.dll "x")

configure(development TRUE)
expect_file_contains(development-constants ${last_build}/IssuerConstants.cpp "stand-in constants")
expect_file_contains(development-middleware ${last_build}/RavelinMiddleware.rc "standin/companions/wdkMgr.dll")
expect_file_contains(development-token-manager ${last_build}/RavelinMiddleware.rc "12002 DLLRES \"${last_build}/TokenMgr.dll\"")

set(expected_message "refuses the stand-in key")
configure(release-without-constants FALSE -DTESSALY_RELEASE=ON
          -DTESSALY_WATCHDATA_MIDDLEWARE_DIR=${work}/genuine)
set(expected_message "constant C must be")
configure(release-short-constant FALSE -DTESSALY_RELEASE=ON -DTESSALY_ISSUER_CONSTANTS_FILE=${work}/short.txt
          -DTESSALY_WATCHDATA_MIDDLEWARE_DIR=${work}/genuine)
set(expected_message "refuses the stand-in Watchdata")
configure(release-without-middleware FALSE -DTESSALY_RELEASE=ON
          -DTESSALY_ISSUER_CONSTANTS_FILE=${work}/issuer.txt)
set(expected_message "hodll.dll has 159489")
configure(release-wrong-size FALSE -DTESSALY_RELEASE=ON -DTESSALY_ISSUER_CONSTANTS_FILE=${work}/issuer.txt
          -DTESSALY_WATCHDATA_MIDDLEWARE_DIR=${work}/wrong-size)

configure(release TRUE -DTESSALY_RELEASE=ON -DTESSALY_ISSUER_CONSTANTS_FILE=${work}/issuer.txt
          -DTESSALY_WATCHDATA_MIDDLEWARE_DIR=${work}/genuine)
expect_file_contains(release-constants ${last_build}/IssuerConstants.cpp "{0xcd,0xcd,")
expect_file_contains(release-origin ${last_build}/IssuerConstants.cpp "the key issuer's constants")
expect_file_contains(release-token-manager ${last_build}/RavelinMiddleware.rc "12002 DLLRES \"${work}/genuine/TokenMgr.dll\"")
expect_file_contains(release-language ${last_build}/RavelinMiddleware.rc "LANGUAGE 4, 2")

file(REMOVE_RECURSE ${work})
message("${passed} passed, ${failed} failed")
if(failed GREATER 0)
  message(FATAL_ERROR "ravelin release build test failed")
endif()
