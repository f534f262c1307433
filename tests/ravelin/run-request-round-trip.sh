#!/usr/bin/env bash
# Ravelin's certificate requests judged by OpenSSL's own commands, and the certificates an
# OpenSSL command-line CA issues for them taken back by ImportCertData. The Windows half
# (RavelinRequestRoundTripTest in the library test program) makes each request and imports
# its certificate in one process, exchanging files with this script, which plays the CA:
# `openssl req -verify` for the signature, the subject and the MD5-with-RSA algorithm (the
# OIW identifier 1.3.14.3.2.3, which OpenSSL names md5WithRSA), then
# `openssl x509 -req` to issue and `openssl crl2pkcs7` to wrap, with PEM lines for the
# 1024-bit request and without for the 2048-bit one; a certificate of another key too.
# usage: run-request-round-trip.sh WINE LIBRARY_TEST_PROGRAM     Ends with "N passed, N failed".
set -uo pipefail
wine=$1
program=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/checks.log"
passed=0
failed=0

expect() {
  local what=$1
  shift
  if "$@" >>"$work/checks.log" 2>&1; then
    passed=$((passed + 1))
  else
    printf 'FAIL: %s\n' "$what"
    failed=$((failed + 1))
  fi
}

# A PKCS#7 message of the certificate in Base64, as the CA hands it out: framed by PEM
# lines with CR LF line breaks, or bare.
wrap() {
  local certificate=$1 framing=$2
  openssl crl2pkcs7 -nocrl -certfile "$certificate" -outform DER | if [ "$framing" = pem ]; then
    printf -- '-----BEGIN CERTIFICATE-----\r\n'
    base64 -w 64 | sed 's/$/\r/'
    printf -- '-----END CERTIFICATE-----\r\n'
  else
    base64 -w 0
  fi
}

# Places a file where the Windows half looks, complete or not at all.
publish() { cat >"$work/$1.part" && mv "$work/$1.part" "$work/$1"; }

cd "$work" || exit 1
openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 2 \
  -subj "/CN=Stand-in issuing CA" 2>/dev/null
openssl req -new -newkey rsa:1024 -nodes -keyout other.key -subj "/CN=Someone Else" 2>/dev/null |
  openssl x509 -req -CA ca.pem -CAkey ca.key -set_serial 1 -days 2 -out other.pem 2>/dev/null
wrap other.pem pem | publish other-key.txt

TESSALY_REQUEST_EXCHANGE="Z:$work" "$wine" "$program" \
  --gtest_filter='RavelinRequestRoundTripTest.*' >"$work/windows.log" 2>&1 &
windows=$!

for bits in 1024 2048; do
  for _ in $(seq 600); do
    [ -e "request-$bits.b64" ] || ! kill -0 "$windows" 2>/dev/null && break
    sleep 0.2
  done
  if [ ! -e "request-$bits.b64" ]; then
    printf 'FAIL: no %s-bit request came\n' "$bits"
    failed=$((failed + 1))
    break
  fi
  { echo '-----BEGIN CERTIFICATE REQUEST-----'; fold -w 64 "request-$bits.b64"; echo
    echo '-----END CERTIFICATE REQUEST-----'; } >"request-$bits.pem"
  expect "$bits-bit request's signature" openssl req -in "request-$bits.pem" -verify -noout
  expect "$bits-bit request's subject" test "$(openssl req -in "request-$bits.pem" -noout -subject)" = \
    "subject=C = CN, O = \"Brimvane \", CN = Zhang San"
  openssl req -in "request-$bits.pem" -noout -text >"request-$bits.txt"
  expect "$bits-bit request's algorithm" grep -qx ' *Signature Algorithm: md5WithRSA' "request-$bits.txt"
  expect "$bits-bit request's key" grep -q "Public-Key: ($bits bit)" "request-$bits.txt"

  openssl x509 -req -in "request-$bits.pem" -CA ca.pem -CAkey ca.key -set_serial "$bits" -days 30 \
    -out "issued-$bits.pem" 2>>"$work/checks.log"
  openssl x509 -in "issued-$bits.pem" -outform DER | publish "issued-$bits.der"
  framing=$([ "$bits" = 1024 ] && echo pem || echo bare)
  wrap "issued-$bits.pem" "$framing" | publish "issued-$bits.txt"
done

wait "$windows"
status=$?
if [ "$status" -eq 0 ] && grep -q '^\[  PASSED  \] 1 test' "$work/windows.log"; then
  passed=$((passed + 1))
else
  cat "$work/windows.log"
  printf 'FAIL: the Windows half (status %s)\n' "$status"
  failed=$((failed + 1))
fi
[ "$failed" -eq 0 ] || cat "$work/checks.log"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
