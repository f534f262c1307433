# Script mode: checks the genuine certificates in SOURCE_DIR against their thumbprints
# (again at build time: the files may have changed since configuring) and copies them
# to OUTPUT_DIR.
include(${CMAKE_CURRENT_LIST_DIR}/RootCertificateTable.cmake)
tessaly_require_genuine_certificates("${SOURCE_DIR}")
file(MAKE_DIRECTORY "${OUTPUT_DIR}")
foreach(entry IN LISTS TESSALY_ROOT_CERTIFICATES)
  tessaly_root_certificate_fields("${entry}" cert)
  file(COPY_FILE "${SOURCE_DIR}/${cert_NAME}.cer" "${OUTPUT_DIR}/${cert_NAME}.cer")
endforeach()
