#!/usr/bin/env bash
# Signs Windows files in place: Authenticode, SHA-256, with the build's signing identity.
#   usage: authenticode-sign.sh OSSLSIGNCODE OPTIONS_FILE FILE...
# OPTIONS_FILE holds osslsigncode's identity options, one argument a line
# (cmake/CodeSigning.cmake writes it). A file is replaced only by its signed copy; a failed
# signature leaves it as it was and fails the build.
set -euo pipefail

osslsigncode=$1
options_file=$2
shift 2
mapfile -t options <"$options_file"
for file in "$@"; do
  signed="$file.signing"
  rm -f "$signed"
  if ! "$osslsigncode" sign "${options[@]}" -h sha256 -comm -n Tessaly -in "$file" -out "$signed" >"$signed.log" 2>&1; then
    cat "$signed.log" >&2
    rm -f "$signed" "$signed.log"
    echo "cannot sign $file" >&2
    exit 1
  fi
  rm -f "$signed.log"
  mv -f "$signed" "$file"
done
