#!/usr/bin/env bash
# What the build signs with (cmake/CodeSigning.cmake): each case configures a project of
# nothing but the signing identity and, where it is accepted, signs a Windows file with the
# build's own sign command and verifies the signature with osslsigncode:
#   development   no identity: the test publisher under the test root
#   release       no identity, a missing file, two identities, a PKCS#11 key without its
#                 URI: refused when configuring
#   pkcs12        a release from a password-protected PKCS#12 file: signed by that publisher,
#                 not by the test publisher
#   pkcs11        a release from a key on a token (SoftHSM behind OpenSSL's PKCS#11 engine)
#   usage: run-signing-tests.sh PE_FILE
# Ends with "N passed, N failed".
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
sample=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=tests/checks.sh
source "$here/../checks.sh"

# configure NAME OPTION...: configures the identity project in $work/NAME, its output in
# $work/NAME.log; the status is configure's.
configure() {
  local name=$1
  shift
  cmake -S "$here/signing-build" -B "$work/$name" -DTESSALY_SOURCE_DIR="$source_dir" "$@" \
    >"$work/$name.log" 2>&1
}
refused_with() {
  local name=$1 message=$2
  shift 2
  ! configure "$name" "$@" && grep -q "$message" "$work/$name.log"
}
# sign NAME: signs a copy of the sample with the build's command; the copy is $work/NAME.exe.
sign() {
  local command
  mapfile -t command <"$work/$1/sign-command.txt"
  cp "$sample" "$work/$1.exe"
  "${command[@]}" "$work/$1.exe"
}
verifies() { osslsigncode verify -CAfile "$2" -in "$work/$1.exe" >/dev/null 2>&1; }

# ---- development ----
configure development
check "development: configured" [ $? -eq 0 ]
check "development: signed" sign development
check "development: by the test publisher" verifies development "$work/development/code-signing/test-root.pem"
check "development: not by another" bash -c "! osslsigncode verify -CAfile '$work/development/code-signing/other-root.pem' -in '$work/development.exe' >/dev/null 2>&1"

# The bank's stand-in: the development build's other publisher.
certificates=$work/development/code-signing
bank_root=$certificates/other-root.pem
printf 'secret pass\n' >"$work/password"
openssl pkcs12 -export -in "$certificates/other-publisher-chain.pem" -inkey "$certificates/other-publisher.key" \
  -passout "file:$work/password" -out "$work/bank.p12" 2>/dev/null

# ---- release refusals ----
check "release: no identity is refused" \
  refused_with no-identity "a release build needs the bank's code-signing certificate" -DTESSALY_RELEASE=ON
check "release: a missing PKCS#12 file is refused" \
  refused_with missing "TESSALY_SIGNING_PKCS12 names no file" -DTESSALY_RELEASE=ON -DTESSALY_SIGNING_PKCS12="$work/none.p12"
check "release: two identities are refused" \
  refused_with both "not both" -DTESSALY_RELEASE=ON -DTESSALY_SIGNING_PKCS12="$work/bank.p12" \
  -DTESSALY_SIGNING_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so
check "release: a token key without its URI is refused" \
  refused_with no-uri "pkcs11: URI" -DTESSALY_RELEASE=ON -DTESSALY_SIGNING_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so \
  -DTESSALY_SIGNING_CERTIFICATES="$certificates/other-publisher-chain.pem" -DTESSALY_SIGNING_PKCS11_KEY=signing

# ---- release from a PKCS#12 file ----
configure pkcs12 -DTESSALY_RELEASE=ON -DTESSALY_SIGNING_PKCS12="$work/bank.p12" -DTESSALY_SIGNING_PASSWORD_FILE="$work/password"
check "pkcs12: configured" [ $? -eq 0 ]
check "pkcs12: makes no test certificates" test ! -e "$work/pkcs12/code-signing"
check "pkcs12: signed" sign pkcs12
check "pkcs12: by the bank's publisher" verifies pkcs12 "$bank_root"
check "pkcs12: not by the test publisher" bash -c "! osslsigncode verify -CAfile '$certificates/test-root.pem' -in '$work/pkcs12.exe' >/dev/null 2>&1"

# ---- release from a token ----
export SOFTHSM2_CONF=$work/softhsm2.conf
mkdir -p "$work/tokens"
printf 'directories.tokendir = %s\nobjectstore.backend = file\n' "$work/tokens" >"$SOFTHSM2_CONF"
printf '1234\n' >"$work/pin"
openssl pkcs8 -topk8 -nocrypt -in "$certificates/other-publisher.key" -out "$work/bank-key.p8"
softhsm2-util --init-token --free --label bank --so-pin 5678 --pin 1234 >/dev/null 2>&1 &&
  softhsm2-util --import "$work/bank-key.p8" --token bank --label signing --id 01 --pin 1234 >/dev/null 2>&1
check "pkcs11: the key is on the token" [ $? -eq 0 ]
configure pkcs11 -DTESSALY_RELEASE=ON -DTESSALY_SIGNING_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so \
  "-DTESSALY_SIGNING_PKCS11_KEY=pkcs11:token=bank;object=signing;type=private" \
  -DTESSALY_SIGNING_CERTIFICATES="$certificates/other-publisher-chain.pem" -DTESSALY_SIGNING_PASSWORD_FILE="$work/pin"
check "pkcs11: configured" [ $? -eq 0 ]
check "pkcs11: signed" sign pkcs11
check "pkcs11: by the bank's publisher" verifies pkcs11 "$bank_root"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
