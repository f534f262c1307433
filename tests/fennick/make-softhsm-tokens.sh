#!/usr/bin/env bash
# Makes the SoftHSM2 token sets Fennick's native tests run against, in folder $1:
#   empty/  no initialised token (SoftHSM still lists its free slot);
#   one/    one token with one certificate;
#   two/    two tokens: the first with one certificate and three failed PIN logins, the
#           second with two certificates.
# Each set has its softhsm2.conf and "serials", lines of a token's label and serial number.
# SoftHSM orders its slots, and the objects of a token, as it finds their files.
set -euo pipefail
out=$1
module=${TESSALY_SOFTHSM_MODULE:-/usr/lib/softhsm/libsofthsm2.so}
bash "$(dirname "$0")/make-test-certificates.sh" "$out/ca"

# token SET LABEL CERTIFICATE...
token() {
  local set=$1 label=$2
  shift 2
  export SOFTHSM2_CONF="$out/$set/softhsm2.conf"
  softhsm2-util --init-token --free --label "$label" --so-pin 12345678 --pin 123456 >/dev/null
  local id=1 certificate
  for certificate in "$@"; do
    pkcs11-tool --module "$module" --token-label "$label" --login --pin 123456 \
      --write-object "$out/ca/$certificate.der" --type cert --id "0$id" --label "$certificate" \
      >/dev/null 2>&1
    id=$((id + 1))
  done
}

for set in empty one two; do
  mkdir -p "$out/$set/tokens"
  printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' \
    "$out/$set/tokens" >"$out/$set/softhsm2.conf"
done
token one key1 lilei
token two key1 lilei
token two key2 hanmeimei wangfang
export SOFTHSM2_CONF="$out/two/softhsm2.conf"
for _ in 1 2 3; do
  pkcs11-tool --module "$module" --token-label key1 --login --pin 000000 -O >/dev/null 2>&1 || true
done

for set in empty one two; do
  SOFTHSM2_CONF="$out/$set/softhsm2.conf" softhsm2-util --show-slots |
    awk '/Serial number:/ {serial = $3} /Label:/ && $2 != "" {print $2, serial}' >"$out/$set/serials"
done
