# Script of tessaly_sign_for_tests (cmake/TestCodeSigning.cmake): signs FILE in place with
# the test publisher and leaves its unsigned and other-publisher copies beside it.
cmake_path(GET FILE PARENT_PATH folder)
cmake_path(GET FILE STEM stem)
cmake_path(GET FILE EXTENSION LAST_ONLY extension)
set(unsigned ${folder}/${stem}-unsigned${extension})
set(other ${folder}/${stem}-other${extension})
file(COPY_FILE ${FILE} ${unsigned})

function(sign chain key output)
  file(REMOVE ${output}.signing)
  execute_process(COMMAND ${OSSLSIGNCODE} sign -certs ${chain} -key ${key} -h sha256
                          -in ${unsigned} -out ${output}.signing
    RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "osslsigncode could not sign ${unsigned}:\n${log}")
  endif()
  file(RENAME ${output}.signing ${output})
endfunction()
sign(${OTHER_CHAIN} ${OTHER_KEY} ${other})
sign(${PUBLISHER_CHAIN} ${PUBLISHER_KEY} ${FILE})
