# Where the program's five CER resources come from.
#
# A shipped build must carry the genuine CFCA certificates: configure it with
#   -DTESSALY_RELEASE=ON -DTESSALY_GENUINE_CERTIFICATES_DIR=<dir>
# where <dir> holds ROOT_CA.cer, POLICY_CA.cer, OPERATION_CA.cer, OPERATION_CA1.cer and
# OPERATION_CA2.cer (DER). Each file is checked against its SHA-1 thumbprint when
# configuring and again when building; a missing or different file stops the build.
# TESSALY_RELEASE=ON without that directory stops the configuration, whatever the build
# type: a shipped program must never carry stand-ins.
#
# Every other build generates stand-ins with the openssl tool at build time: certificates
# with the genuine subjects, issuers, serial numbers and validity, but signed by throwaway
# keys that are deleted as soon as the certificates exist. They let the stores be tested
# without the genuine files, and nothing can ever be signed in their name.

include(${CMAKE_CURRENT_LIST_DIR}/RootCertificateTable.cmake)

# Sets <out_entries> to the resource list entries "NAME|CER|file" of the five certificates
# and adds the target tessaly_root_certificates that puts the files in place.
function(tessaly_root_certificate_resources out_entries)
  set(output_dir ${CMAKE_CURRENT_BINARY_DIR}/certificates)
  set(files "")
  set(entries "")
  foreach(entry IN LISTS TESSALY_ROOT_CERTIFICATES)
    tessaly_root_certificate_fields("${entry}" cert)
    list(APPEND files ${output_dir}/${cert_NAME}.cer)
    list(APPEND entries "${cert_NAME}|CER|${output_dir}/${cert_NAME}.cer")
  endforeach()

  if(TESSALY_GENUINE_CERTIFICATES_DIR)
    tessaly_require_genuine_certificates("${TESSALY_GENUINE_CERTIFICATES_DIR}")
    set(sources "")
    foreach(entry IN LISTS TESSALY_ROOT_CERTIFICATES)
      tessaly_root_certificate_fields("${entry}" cert)
      list(APPEND sources "${TESSALY_GENUINE_CERTIFICATES_DIR}/${cert_NAME}.cer")
    endforeach()
    add_custom_command(OUTPUT ${files}
      COMMAND ${CMAKE_COMMAND} "-DSOURCE_DIR=${TESSALY_GENUINE_CERTIFICATES_DIR}"
              "-DOUTPUT_DIR=${output_dir}" -P ${PROJECT_SOURCE_DIR}/cmake/CopyGenuineCertificates.cmake
      DEPENDS ${sources} ${PROJECT_SOURCE_DIR}/cmake/CopyGenuineCertificates.cmake
              ${PROJECT_SOURCE_DIR}/cmake/RootCertificateTable.cmake
      COMMENT "Checking and copying the genuine root certificates"
      VERBATIM)
  elseif(TESSALY_RELEASE)
    # An error that lets the configuration go on, so that one run names every genuine
    # piece a release build still lacks; nothing is generated.
    message(SEND_ERROR "A release build (TESSALY_RELEASE=ON) refuses stand-in root certificates: "
      "set TESSALY_GENUINE_CERTIFICATES_DIR to the folder with the genuine CFCA files.")
    return()
  else()
    find_program(TESSALY_OPENSSL_PROGRAM openssl REQUIRED)
    add_custom_command(OUTPUT ${files}
      COMMAND ${CMAKE_COMMAND} "-DOPENSSL=${TESSALY_OPENSSL_PROGRAM}" "-DOUTPUT_DIR=${output_dir}"
              -P ${PROJECT_SOURCE_DIR}/cmake/MakeStandInCertificates.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/cmake/MakeStandInCertificates.cmake
              ${PROJECT_SOURCE_DIR}/cmake/RootCertificateTable.cmake
      COMMENT "Generating stand-in root certificates (throwaway keys)"
      VERBATIM)
  endif()
  add_custom_target(tessaly_root_certificates DEPENDS ${files})
  set(${out_entries} ${entries} PARENT_SCOPE)
endfunction()
