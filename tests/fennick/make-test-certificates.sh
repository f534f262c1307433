#!/usr/bin/env bash
# Makes the key certificates of Fennick's tests in folder $1 (NAME.der, DER): a small CA
# and end-entity certificates with fixed validity dates, subjects "C=CN, O=Quaymark Bank,
# CN=<name>":
#   lilei      2014-05-19 20:00 to 2016-05-19 20:00 UTC (the next day's 04:00 at UTC+8)
#   hanmeimei  2015-06-01 to 2017-06-01
#   wangfang   2016-01-01 to 2018-01-01
#   zhaolei    2020-01-01 12:00 to 2099-12-31 12:00 UTC (valid on any day the tests run)
#   wdzhaolei  the same dates, its common name led by the serial of the Watchdata test key
#              ("WD00000000000001"): Ravelin finds a certificate's key by that prefix
set -euo pipefail
out=$1
mkdir -p "$out/issued"
cd "$out"

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

# issue NAME COMMON-NAME START END (dates as YYYYMMDDHHMMSSZ)
issue() {
  openssl req "${key[@]}" -keyout "$1.key" -out "$1.csr" -subj "/C=CN/O=Quaymark Bank/CN=$2" \
    2>/dev/null
  openssl ca -batch -config ca.cnf -cert ca.pem -keyfile ca.key -in "$1.csr" -out "$1.pem" \
    -startdate "$3" -enddate "$4" -preserveDN -notext 2>/dev/null
  openssl x509 -in "$1.pem" -outform DER -out "$1.der"
}
issue lilei "Li Lei" 20140519200000Z 20160519200000Z
issue hanmeimei "Han Meimei" 20150601000000Z 20170601000000Z
issue wangfang "Wang Fang" 20160101000000Z 20180101000000Z
issue zhaolei "Zhao Lei" 20200101120000Z 20991231120000Z
issue wdzhaolei "WD00000000000001 Zhao Lei" 20200101120000Z 20991231120000Z
