#!/usr/bin/env bash
# Tests scripts/check-shipped-files.py against small i686 probe files that are never
# shipped. It must pass GCC's thread_local with the GetTickCount64 supply every module of
# the build links, native TLS in an executable, a manifest in XP's schema, and libcrypto of
# the dependencies cache in use; it must refuse the bare MinGW runtime's GetTickCount64
# import, native TLS in a DLL, a manifest without an identity of its own, a missing file,
# a file that is no image and an empty list.
# Ends with "N passed, N failed".
set -uo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
here="$root/tests/xp"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0

cxx=(i686-w64-mingw32-g++-posix -std=c++20 -O2 -static -static-libgcc -static-libstdc++)
supply=(-I"$root" -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX -D_WIN32_WINNT=0x0501
        "$root/platform/win32/runtime/TickCount64.cpp")
build() {
  "$@" >>"$work/build.log" 2>&1 || { cat "$work/build.log"; echo "probe build failed: $*"; exit 1; }
}
build "${cxx[@]}" -shared -o "$work/thread-local.dll" "$here/ThreadLocalProbe.cpp" "${supply[@]}"
build "${cxx[@]}" -shared -o "$work/bare-runtime.dll" "$here/ThreadLocalProbe.cpp"
build clang --target=i686-w64-mingw32 -O2 -c -o "$work/native-tls.o" "$here/NativeTlsProbe.c"
build i686-w64-mingw32-gcc-posix -shared -o "$work/native-tls.dll" "$work/native-tls.o"
build i686-w64-mingw32-gcc-posix -o "$work/native-tls.exe" "$work/native-tls.o"
# libcrypto as the builds link it (scripts/setup.sh), used the way the shipped files use it.
openssl=${TESSALY_DEPS_CACHE:-/var/cache/tessaly-deps}/openssl-current-i686
build i686-w64-mingw32-gcc-posix -O2 -static -I"$openssl/include" -o "$work/openssl.exe" \
  "$here/OpenSslProbe.c" "$openssl/lib/libcrypto.a" -lws2_32 -lcrypt32 -lgdi32 -ladvapi32 -luser32
for manifest in XpManifest NoIdentity; do
  printf '1 24 "%s"\n' "$here/$manifest.manifest" >"$work/$manifest.rc"
  build i686-w64-mingw32-windres -o "$work/$manifest.res.o" "$work/$manifest.rc"
  build i686-w64-mingw32-gcc-posix -o "$work/$manifest.exe" "$work/native-tls.o" "$work/$manifest.res.o"
done

# expect LABEL STATUS PATTERN FILE...: the check over a list of FILEs exits with STATUS and
# prints a line matching PATTERN.
expect() {
  local label=$1 status=$2 pattern=$3
  shift 3
  printf '%s\n' "$@" >"$work/list.txt"
  local output actual
  output=$(python3 "$root/scripts/check-shipped-files.py" "$work/list.txt")
  actual=$?
  if [ "$actual" -eq "$status" ] && grep -qE "$pattern" <<<"$output"; then
    passed=$((passed + 1))
  else
    printf 'FAILED: %s (status %s, expected %s; no line matching %s)\n%s\n' \
      "$label" "$actual" "$status" "$pattern" "$output"
    failed=$((failed + 1))
  fi
}

expect "thread_local with the supply" 0 '^1 passed, 0 failed$' "$work/thread-local.dll"
expect "bare runtime" 1 'bare-runtime\.dll: not on XP SP3: kernel32\.dll GetTickCount64' \
  "$work/bare-runtime.dll"
expect "native TLS in a DLL" 1 'native-tls\.dll: 4 bytes of implicit thread-local data' \
  "$work/native-tls.dll"
expect "native TLS in an executable" 0 'native-tls\.exe: loads on Windows XP SP3' \
  "$work/native-tls.exe"
expect "OpenSSL as the builds link it" 0 'openssl\.exe: loads on Windows XP SP3' "$work/openssl.exe"
expect "manifest in XP's schema" 0 'XpManifest\.exe: loads on Windows XP SP3' "$work/XpManifest.exe"
expect "manifest without its own identity" 1 'NoIdentity\.exe: manifest has no assemblyIdentity' \
  "$work/NoIdentity.exe"
expect "a missing file fails, the others are still checked" 1 \
  '^1 passed, 1 failed$' "$work/thread-local.dll" "$work/gone.dll"
expect "not an image" 1 'not a PE image' "$here/NativeTlsProbe.c"
expect "empty list" 1 'lists no shipped file'
# Beside a build's list, the build's version: a file without that version resource fails.
echo 1.0.0.4 >"$work/shipped-version.txt"
expect "a file without the build's version" 1 'thread-local\.dll: 0 version resources, not one' \
  "$work/thread-local.dll"
rm "$work/shipped-version.txt"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
