#!/usr/bin/env bash
# Makes the SoftHSM2 token sets Fennick's native tests run against, in folder $1:
#   empty/  no initialised token (SoftHSM still lists its free slot);
#   one/    one token with one certificate;
#   two/    two tokens: the first with one certificate and three failed PIN logins, the
#           second with two certificates.
# Each set has its softhsm2.conf and "serials", lines of a token's label and serial number.
# SoftHSM orders its slots, and the objects of a token, as it finds their files.
# The certificates come from a small CA made here with fixed validity dates.
set -euo pipefail
out=$1
module=${TESSALY_SOFTHSM_MODULE:-/usr/lib/softhsm/libsofthsm2.so}
mkdir -p "$out/ca/issued"
cd "$out/ca"

cat >ca.cnf <<'CONF'
[ca]
default_ca = local
[local]
dir = .
database = index.txt
new_certs_dir = issued
serial = serial
default_md = sha256
policy = anything
[anything]
commonName = supplied
CONF
: >index.txt
echo 1000 >serial
key=(-newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes)
openssl req -x509 "${key[@]}" -keyout ca.key -out ca.pem -days 36500 \
  -subj "/CN=Quaymark Test CA" 2>/dev/null

# issue NAME SUBJECT START END (dates as YYYYMMDDHHMMSSZ)
issue() {
  openssl req "${key[@]}" -keyout "$1.key" -out "$1.csr" -subj "$2" 2>/dev/null
  openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in "$1.csr" -out "$1.pem" \
    -startdate "$3" -enddate "$4" -preserveDN -notext 2>/dev/null
  openssl x509 -in "$1.pem" -outform DER -out "$1.der"
}
# 20:00 UTC is the next day's 04:00 in the tests' time zone (UTC+8).
issue lilei "/C=CN/O=Quaymark Bank/CN=Li Lei" 20140519200000Z 20160519200000Z
issue hanmeimei "/C=CN/O=Quaymark Bank/CN=Han Meimei" 20150601000000Z 20170601000000Z
issue wangfang "/C=CN/O=Quaymark Bank/CN=Wang Fang" 20160101000000Z 20180101000000Z

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
