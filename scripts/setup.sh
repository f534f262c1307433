#!/usr/bin/env bash
# Installs everything Tessaly's builds and tests need on a Debian 12 machine, as root.
# Safe to run again: packages already present are not reinstalled, and the MinGW
# builds of OpenSSL are cached outside the checkout, keyed by version and architecture.
set -euo pipefail

DEPS_CACHE=${TESSALY_DEPS_CACHE:-/var/cache/tessaly-deps}

packages=(
  cmake ninja-build g++ make perl python3 dpkg-dev ca-certificates
  clang libclang-rt-14-dev
  libssl-dev googletest libgtest-dev libgmock-dev libbenchmark-dev libpugixml-dev
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine64
  openssl hyperfine python3-cryptography
  chromium fonts-noto-cjk
  xvfb xauth imagemagick
  libp11-kit-dev softhsm2 opensc
  nsis osslsigncode libengine-pkcs11-openssl
)
# 32-bit Wine runs the shipped i686 build, on 32-bit Windows and as WoW64 on 64-bit Windows.
# Debian installs the loader without its recommended libraries; those of the X display
# (windows, tray icon, pictures) and GnuTLS (Wine's cryptography) are needed by the tests.
wine32_packages=(
  wine32:i386 libgnutls30:i386
  libxcomposite1:i386 libxcursor1:i386 libxfixes3:i386 libxi6:i386 libxinerama1:i386
  libxrandr2:i386 libxrender1:i386 libxxf86vm1:i386
)
# Only where 32-bit programs cannot start (a virtual machine without 32-bit user mode) does
# the 64-bit build stand in for the shipped one (scripts/test.sh, scripts/main.sh).
stand_in_packages=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64)

missing_packages() {
  local p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

enable_source_packages() {
  local list=/etc/apt/sources.list.d/tessaly-deb-src.sources
  [ -f "$list" ] && return 0
  cat >"$list" <<'SOURCES'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
  apt_updated=0
}

apt_updated=0
apt_update_once() {
  if [ "$apt_updated" = 0 ]; then
    apt-get update -qq
    apt_updated=1
  fi
}

install_packages() {
  local missing
  missing=$(missing_packages "$@")
  [ -z "$missing" ] && return 0
  apt_update_once
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
}

# The mirror does not always carry the newest source package (security updates lag), so
# every source version Debian lists is tried, newest first. The cache entry is keyed by
# the upstream version actually built, by architecture and by the Configure options
# (recorded in .options); "openssl-current-<arch>" points at the one the builds use.
openssl_source_versions() {
  apt-cache showsrc openssl | awk '/^Version:/ {print $2}' | sort -Vr
}

cross_build_openssl() {
  local arch=$1 target=$2
  shift 2
  local link="$DEPS_CACHE/openssl-current-$arch"
  local options="$*" flavour=""
  [ -n "$options" ] && flavour="-$(printf '%s' "$options" | md5sum | cut -c1-8)"
  if [ -f "$link/.complete" ] && [ "$(cat "$link/.options" 2>/dev/null)" = "$options" ]; then
    return 0
  fi
  enable_source_packages
  apt_update_once
  local version upstream prefix work
  for version in $(openssl_source_versions); do
    upstream=$(echo "$version" | sed -E 's/^[0-9]+://; s/-.*$//')
    prefix="$DEPS_CACHE/openssl-$upstream-$arch$flavour"
    if [ ! -f "$prefix/.complete" ]; then
      work=$(mktemp -d)
      if ! (cd "$work" && apt-get source -qq "openssl=$version" >/dev/null 2>&1); then
        rm -rf "$work"
        continue
      fi
      (
        cd "$work"/openssl-*/
        ./Configure "$target" no-shared no-tests no-module no-dso "$@" \
          --cross-compile-prefix="$arch-w64-mingw32-" --prefix="$prefix" --libdir=lib \
          CC=gcc-posix >/dev/null
        make -s -j"$(nproc)" build_libs >/dev/null
        make -s install_dev >/dev/null
      )
      rm -rf "$work"
      printf '%s' "$options" >"$prefix/.options"
      touch "$prefix/.complete"
    fi
    ln -sfn "$prefix" "$link"
    return 0
  done
  echo "no openssl source package could be fetched" >&2
  return 1
}

# The i386 packages come from the same mirror once dpkg knows the architecture.
enable_i386() {
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  dpkg --add-architecture i386
  apt_updated=0
}

mkdir -p "$DEPS_CACHE"
install_packages "${packages[@]}"
enable_i386
install_packages "${wine32_packages[@]}"
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  install_packages "${stand_in_packages[@]}"
  cross_build_openssl x86_64 mingw64
fi
# The 32-bit assembler modules emit GOT-relative relocations that COFF cannot represent,
# so the i686 build uses the C implementations. The shipped files run on Windows XP:
# OpenSSL means to target it by default, but MinGW's headers set a newer _WIN32_WINNT
# first, and OpenSSL then locks with slim reader/writer locks, which XP lacks.
cross_build_openssl i686 mingw no-asm -D_WIN32_WINNT=0x0501
# The page's browser tests and jQuery 1.6.2 come from npm, pinned by package-lock.json.
# The machines come with Node.js and npm; a bare Debian gets Debian's.
if ! command -v npm >/dev/null 2>&1; then
  apt_update_once
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends nodejs npm
fi
root=$(cd "$(dirname "$0")/.." && pwd)
if [ ! -f "$root/node_modules/.package-lock.json" ] || [ "$root/package-lock.json" -nt "$root/node_modules/.package-lock.json" ]; then
  (cd "$root" && npm ci --no-audit --no-fund)
fi
echo "dependencies ready (cache: $DEPS_CACHE)"
