# The bank's certificate chain that the program carries as resources of type CER, one
# entry per certificate: "NAME|subject|issuer|serial|not before|not after|SHA-1".
# Subjects and issuers are written as the openssl tool takes them; times are UTC. The
# genuine files are identified by their SHA-1 thumbprints; the validity start is only
# needed for the stand-ins (the genuine files carry their own).
set(TESSALY_ROOT_CERTIFICATES
  "ROOT_CA|/C=CN/O=China Financial Certification Authority/CN=CFCA ACS CA|/C=CN/O=China Financial Certification Authority/CN=CFCA ACS CA|41AEF3CFBE4464544F64F89A97F23917|20150928000000Z|20350928235959Z|D2790F6BB0A3EF62C674A1AA76A619DF02B21B82"
  "POLICY_CA|/C=CN/O=China Financial Certification Authority/CN=CFCA ACS OCA31|/C=CN/O=China Financial Certification Authority/CN=CFCA ACS CA|34AC474CF8F215698F66F4A0F7B986BC|20150930000000Z|20350922235959Z|55E0343E6B651B555C51947FE01A20BBB6B40C5B"
  "OPERATION_CA|/C=CN/O=CFCA Operation CA|/C=CN/O=CFCA Policy CA|39448BB9|20000612000000Z|20200612235959Z|51FFA2AD82E01D0FB76FC7750BE646340B630195"
  "OPERATION_CA1|/C=CN/O=CFCA Operation CA1|/C=CN/O=CFCA Root CA|39448A6D|20000612000000Z|20200612235959Z|12844DEF9B03084180E4FB4DFDFBB4DA8E284602"
  "OPERATION_CA2|/C=CN/O=CFCA Operation CA2|/C=CN/O=CFCA Root CA|39449877|20000612000000Z|20191120235959Z|EEB3A1C5A0D7EF6E9604A09C38EB2AA69289AE75"
)

# Splits one table entry into the variables <prefix>_NAME, _SUBJECT, _ISSUER, _SERIAL,
# _NOT_BEFORE, _NOT_AFTER and _SHA1 of the caller.
macro(tessaly_root_certificate_fields entry prefix)
  string(REPLACE "|" ";" _tessaly_fields "${entry}")
  list(GET _tessaly_fields 0 ${prefix}_NAME)
  list(GET _tessaly_fields 1 ${prefix}_SUBJECT)
  list(GET _tessaly_fields 2 ${prefix}_ISSUER)
  list(GET _tessaly_fields 3 ${prefix}_SERIAL)
  list(GET _tessaly_fields 4 ${prefix}_NOT_BEFORE)
  list(GET _tessaly_fields 5 ${prefix}_NOT_AFTER)
  list(GET _tessaly_fields 6 ${prefix}_SHA1)
endmacro()

# Sets <out_error> to why <file> is not the genuine certificate with the SHA-1 thumbprint
# <sha1>, or to an empty text when it is.
function(tessaly_check_genuine_certificate file sha1 out_error)
  if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
    set(${out_error} "genuine certificate ${file} is missing" PARENT_SCOPE)
    return()
  endif()
  file(SHA1 "${file}" actual)
  string(TOUPPER "${actual}" actual)
  string(TOUPPER "${sha1}" expected)
  if(NOT actual STREQUAL expected)
    set(${out_error} "${file} has the SHA-1 thumbprint ${actual}, not ${expected}" PARENT_SCOPE)
    return()
  endif()
  set(${out_error} "" PARENT_SCOPE)
endfunction()

# Checks every genuine certificate of the table in <dir> (files "<NAME>.cer") and stops
# with all problems listed when one of them is missing or not the genuine one.
function(tessaly_require_genuine_certificates dir)
  set(problems "")
  foreach(entry IN LISTS TESSALY_ROOT_CERTIFICATES)
    tessaly_root_certificate_fields("${entry}" cert)
    tessaly_check_genuine_certificate("${dir}/${cert_NAME}.cer" "${cert_SHA1}" error)
    if(error)
      string(APPEND problems "\n  ${error}")
    endif()
  endforeach()
  if(problems)
    message(FATAL_ERROR "The genuine root certificates do not check out:${problems}")
  endif()
endfunction()
