# Takes the browser library out of the npm package jquery@1.6.2, which ships it wrapped
# for Node (dist/node-jquery.min.js: a create(window) function around the library), and
# writes the bare library that the page loads as js/jquery.min.js. Fails unless the result
# is exactly the jQuery 1.6.2 code this page was written and tested against.
#
# As a script: cmake -DINPUT=<node-jquery.min.js> -DOUTPUT=<jquery.min.js> -P ExtractJquery.cmake
# Included:    tessaly_extract_jquery(<input> <output>)

# SHA-256 of the jQuery 1.6.2 library as the pinned npm package carries it (the minified
# build, from its licence header to the closing "})(window);").
set(TESSALY_JQUERY_SHA256 "98375913153186d07f42105106dfa49630c8f836072c502586cb10a0a570e4a2")

function(tessaly_extract_jquery input output)
  if(NOT EXISTS "${input}")
    message(FATAL_ERROR "jQuery 1.6.2 is missing (${input}); run 'npm ci' in the repository root")
  endif()
  file(READ "${input}" wrapped)
  string(FIND "${wrapped}" "/*!\n * jQuery JavaScript Library v1.6.2\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${input} does not carry the jQuery 1.6.2 library header")
  endif()
  string(SUBSTRING "${wrapped}" ${start} -1 rest)
  set(closing "})(window);")
  string(FIND "${rest}" "${closing}" end)
  if(end EQUAL -1)
    message(FATAL_ERROR "${input}: the library's closing \"${closing}\" was not found")
  endif()
  string(LENGTH "${closing}" closing_length)
  math(EXPR length "${end} + ${closing_length}")
  string(SUBSTRING "${rest}" 0 ${length} library)
  string(APPEND library "\n")
  string(FIND "${library}" "jquery:\"1.6.2\"" version_field)
  if(version_field EQUAL -1)
    message(FATAL_ERROR "${input}: the extracted library does not report version 1.6.2")
  endif()
  string(SHA256 digest "${library}")
  if(NOT digest STREQUAL TESSALY_JQUERY_SHA256)
    message(FATAL_ERROR "${input}: the extracted library is not the jQuery 1.6.2 release "
                        "(SHA-256 ${digest}, expected ${TESSALY_JQUERY_SHA256})")
  endif()
  # Written only when it changes, so that the resource script is not rebuilt needlessly.
  if(EXISTS "${output}")
    file(READ "${output}" previous)
    if(previous STREQUAL library)
      return()
    endif()
  endif()
  get_filename_component(folder "${output}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(WRITE "${output}" "${library}")
endfunction()

if(CMAKE_SCRIPT_MODE_FILE AND DEFINED INPUT AND DEFINED OUTPUT)
  tessaly_extract_jquery("${INPUT}" "${OUTPUT}")
endif()
