# Script mode: writes stand-ins for the five root-chain certificates to OUTPUT_DIR as DER
# files "<NAME>.cer", using the openssl tool OPENSSL. Each carries the genuine subject,
# issuer, serial number and validity of the table; the keys that sign them are made in a
# scratch folder and deleted before the script ends, also when a step fails, so nothing
# can ever be signed with them. `openssl ca` is used because it is the one command of
# OpenSSL 3.0 that takes an explicit start date.
include(${CMAKE_CURRENT_LIST_DIR}/RootCertificateTable.cmake)

set(work ${OUTPUT_DIR}/throwaway-keys)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
file(WRITE ${work}/ca.cnf "[ca]
default_ca = throwaway
[throwaway]
dir = .
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha256
policy = any_name
unique_subject = no
email_in_dn = no
x509_extensions = authority
[any_name]
countryName = optional
organizationName = optional
commonName = optional
[authority]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[req]
distinguished_name = req_name
[req_name]
")
file(WRITE ${work}/index.txt "")

# Runs the openssl tool in the scratch folder; on failure deletes it and stops.
function(run_openssl)
  execute_process(COMMAND ${OPENSSL} ${ARGN} WORKING_DIRECTORY ${work}
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT status EQUAL 0)
    file(REMOVE_RECURSE ${work})
    message(FATAL_ERROR "openssl ${ARGN} failed:\n${output}")
  endif()
endfunction()

# A fresh key and certificate request for <subject>, as <stem>.key and <stem>.csr.
function(make_request stem subject)
  run_openssl(req -config ca.cnf -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes
    -keyout ${stem}.key -subj ${subject} -out ${stem}.csr)
endfunction()

# Issuers are found by subject: a certificate made earlier, or a throwaway authority
# (whose own certificate is not kept) for an issuer outside the chain.
set(issuer_subjects "")
set(issuer_stems "")
set(index 0)
foreach(entry IN LISTS TESSALY_ROOT_CERTIFICATES)
  tessaly_root_certificate_fields("${entry}" cert)
  set(stem ${cert_NAME})
  make_request(${stem} "${cert_SUBJECT}")
  file(WRITE ${work}/serial "${cert_SERIAL}\n")
  set(validity -startdate ${cert_NOT_BEFORE} -enddate ${cert_NOT_AFTER})
  if(cert_ISSUER STREQUAL cert_SUBJECT)
    run_openssl(ca -batch -config ca.cnf -selfsign -keyfile ${stem}.key -in ${stem}.csr
      ${validity} -preserveDN -notext -out ${stem}.pem)
  else()
    list(FIND issuer_subjects "${cert_ISSUER}" issuer_index)
    if(issuer_index EQUAL -1)
      set(issuer_stem issuer${index})
      run_openssl(req -config ca.cnf -x509 -new -newkey ec -pkeyopt ec_paramgen_curve:P-256
        -nodes -keyout ${issuer_stem}.key -subj ${cert_ISSUER} -days 1 -out ${issuer_stem}.pem)
      list(APPEND issuer_subjects "${cert_ISSUER}")
      list(APPEND issuer_stems ${issuer_stem})
    else()
      list(GET issuer_stems ${issuer_index} issuer_stem)
    endif()
    run_openssl(ca -batch -config ca.cnf -cert ${issuer_stem}.pem -keyfile ${issuer_stem}.key
      -in ${stem}.csr ${validity} -preserveDN -notext -out ${stem}.pem)
  endif()
  list(APPEND issuer_subjects "${cert_SUBJECT}")
  list(APPEND issuer_stems ${stem})
  run_openssl(x509 -in ${stem}.pem -outform DER -out ${OUTPUT_DIR}/${cert_NAME}.cer)
  math(EXPR index "${index} + 1")
endforeach()
file(REMOVE_RECURSE ${work})
