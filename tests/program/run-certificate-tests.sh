#!/usr/bin/env bash
# The certificate pages' native parts under Wine on a virtual display (Xvfb), in a fresh
# prefix (tests/wine-prefix.sh): the real progress window from Tessaly.exe's template 161 with a window of
# another process of the same caption, and the enrolment-control repair of Vista and later
# with its real question, message box, downloads from the local test server and registry
# editor. The picture of the progress window is converted to PNG in the log folder.
#   usage: tests/server/with-test-server.sh tests/program/run-certificate-tests.sh \
#            TESSALY_EXE TESTS_EXE [LOG_DIR]
# Ends with "N passed, N failed".
set -uo pipefail

program=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
tests=$2
log_dir=${3:-$(mktemp -d)}
# shellcheck source=tests/wine-prefix.sh
source "$(dirname "$0")/../wine-prefix.sh"
: "${TESSALY_TEST_SERVER:?run me through tests/server/with-test-server.sh}"

work=$(mktemp -d)
WINEPREFIX="$work/prefix"
export WINEPREFIX
trap '"$wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/pictures" "$log_dir"

# Wine maps the Unix root to drive Z:.
windows_path() { local path=${1//\//\\}; printf 'Z:%s' "$path"; }
export TESSALY_PROGRAM TESSALY_SCREENSHOT_DIR
TESSALY_PROGRAM=$(windows_path "$program")
TESSALY_SCREENSHOT_DIR="$(windows_path "$work/pictures")\\"

# The XP run pretends to be the XP edition of the prefix's kind.
xp_version=winxp64
[ "${WINEARCH:-}" = win32 ] && xp_version=winxp
# Like a Chinese Windows, the dialog font and the captions' font show Chinese (Debian's Noto
# CJK); Wine draws the frames itself, as there is no window manager to do it.
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  "$2" wineboot --init >/dev/null 2>&1
  "$0" reg add "HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes" \
    /v "MS Shell Dlg" /t REG_SZ /d "Noto Sans CJK SC" /f >/dev/null 2>&1
  "$0" reg add "HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink" \
    /v Tahoma /t REG_MULTI_SZ /d "NotoSansCJK-Regular.ttc,Noto Sans CJK SC" /f >/dev/null 2>&1
  "$0" reg add "HKCU\Software\Wine\X11 Driver" /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  "$3" -w
  "$0" "$1" --gtest_brief=1 \
    --gtest_filter="CertDownloadingWindowTest.*:EnrolmentRepairWineTest.*-*.BeforeVista*"
  vista=$?
  "$3" -w
  "$0" reg add "HKCU\Software\Wine" /v Version /t REG_SZ /d "$4" /f >/dev/null 2>&1
  "$3" -w
  "$0" "$1" --gtest_brief=1 --gtest_filter="EnrolmentRepairWineTest.BeforeVista*"
  exit $((vista | $?))
' "$wine" "$tests" "$(wine_boot_loader)" "$wineserver" "$xp_version" >"$work/gtest.log" 2>&1
status=$?
cat "$work/gtest.log"
# Two runs of the test program: their counts add up.
sum_of() { grep -aoE "^\[  $1 *\] [0-9]+ test" "$work/gtest.log" | grep -oE '[0-9]+ test' | grep -oE '[0-9]+' | awk '{ s += $1 } END { print s + 0 }'; }
ok=$(sum_of PASSED)
bad=$(sum_of FAILED)
skipped=$(sum_of SKIPPED)
passed=${ok:-0}
failed=$((${bad:-0} + ${skipped:-0}))
if [ "$status" -ne 0 ] && [ "${bad:-0}" -eq 0 ]; then
  failed=$((failed + 1))
fi

picture="$log_dir/cert-downloading-window.png"
if convert "$work/pictures/cert-downloading-window.bmp" "$picture" 2>/dev/null &&
   [ "$(identify -format '%k' "$picture")" -gt 2 ]; then
  passed=$((passed + 1))
  echo "ok   picture of the progress window: $picture"
else
  failed=$((failed + 1))
  echo "FAIL no picture of the progress window (or a blank one)"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
