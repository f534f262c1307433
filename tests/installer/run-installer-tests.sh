#!/usr/bin/env bash
# TessalySetup.exe end to end under Wine, on a virtual display, in a fresh WoW64 prefix,
# against the local test server:
#   install     silent install: files, shortcuts, the uninstall entry in the 32-bit view, every
#               installed program file signed by the test publisher
#   start       the installed program starts (its window found)
#   over        a second silent install over the running program closes it, puts back a
#               damaged file and starts the program again
#   locked      a file held open fails the setup (exit status 2), changes nothing and leaves
#               the program running
#   update      the self-update's installer variant, from the first version: the program
#               downloads the newer setup, starts it and closes; the setup's welcome page is
#               pressed and its first two pages pictured (the install through its pages is
#               not driven yet)
#   uninstall   silent uninstall with a logon task and a Run value planted: no file,
#               shortcut, task, Run value, settings or uninstall entry is left (the prefix's
#               files and registry keys compared with those before the install)
#   usage: run-installer-tests.sh SETUP NEXT_SETUP NEXT_PROGRAM PROMPT_DRIVER HOLD_FILE TEST_ROOT [PICTURES_DIR]
# Ends with "N passed, N failed".
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
setup=$(absolute "$1")
next_setup=$(absolute "$2")
next_program=$(absolute "$3")
driver=$(absolute "$4")
hold_file=$(absolute "$5")
test_root=$(absolute "$6")
pictures=${7:-}

if [ -z "${TESSALY_UPDATE_FILES:-}" ]; then
  files=$(mktemp -d)
  TESSALY_UPDATE_FILES=$files TESSALY_TEST_FILES=$files \
    "$here/../server/with-test-server.sh" bash "$0" "$@"
  status=$?
  rm -rf "$files"
  exit $status
fi

files=$TESSALY_UPDATE_FILES
server=$TESSALY_TEST_SERVER
# shellcheck source=../wine-prefix.sh
. "$here/../wine-prefix.sh"
work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
display_pid=
holder=
cleanup() {
  [ -n "$holder" ] && kill "$holder" 2>/dev/null
  "$wineserver" -k 2>/dev/null
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=tests/checks.sh
source "$here/../checks.sh"

start_virtual_display

init_wine_prefix
# Like a Chinese Windows, the dialog font and the captions' font show Chinese (Debian's Noto
# CJK), so that the pictures of the pages show their text; Wine draws the frames itself, as
# there is no window manager to do it.
# The setup's pages use the Chinese dialog font "宋体", substituted as well (in a UTF-16
# file, so that its name survives any locale), as are the dialog fonts and Tahoma's link.
"$wine" regedit /S "Z:$(echo "$here/chinese-fonts.reg" | tr / '\\')" >/dev/null 2>&1
"$wineserver" -w

drive=$WINEPREFIX/drive_c
folder="$drive/Program Files (x86)/Tessaly"
windows_folder='C:\Program Files (x86)\Tessaly'
menu="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Tessaly"
desktop="$drive/users/Public/Desktop/Tessaly.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaly'
settings='HKCU\Software\Brimvane\Orvendel\Quaymark'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
task="$drive/windows/system32/tasks/Tessaly"
temp=$(readlink -f "$("$wine" winepath -u "$("$wine" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')" 2>/dev/null)")
[ -d "$temp" ] || { echo "the prefix's temporary folder is unknown"; echo "0 passed, 1 failed"; exit 1; }
stage=${setup%.exe}-files
next_stage=${next_setup%.exe}-files

# What the prefix holds: every file and folder (outside Wine's own changing logs and
# caches), and every registry key, with the registry flushed to its files first.
snapshot() {
  "$wineserver" -w
  (cd "$drive" && find . -path ./windows/Installer -prune -o -path "./${temp#"$drive"/}/*" -prune \
     -o -path ./windows/temp -prune -o -print | sort)
  grep -haE '^\[' "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" | sed 's/\] [0-9]*$/]/' | sort
}
snapshot >"$work/before.txt"

# The value of a registry value in the given view, empty when absent.
registry_value() {
  "$wine" reg query "$1" /v "$2" "/reg:$3" 2>/dev/null | tr -d '\r' |
    awk -v name="$2" '$1 == name { $1 = ""; $2 = ""; sub(/^  */, ""); print }'
}
value_is() { [ "$(registry_value "$1" "$2" "$3")" = "$4" ]; }
no_key() { ! "$wine" reg query "$1" "/reg:$2" >/dev/null 2>&1; }
running() { kill -0 "$1" 2>/dev/null; }
ended() { ! kill -0 "$1" 2>/dev/null; }
# The Windows process of the installed program (its Wine process shows the Windows path).
program_pid() { pgrep -f 'Program Files \(x86\)\\Tessaly\\Tessaly.exe' | head -n1; }
runs_anew() { local now; now=$(program_pid); [ -n "$now" ] && [ "$now" != "$1" ]; }
same_files() {
  local name
  for name in $(cd "$1" && ls); do
    cmp -s "$1/$name" "$folder/$name" || { echo "   differs: $name"; return 1; }
  done
}
all_signed() {
  local file
  for file in "$folder"/*.exe "$folder"/*.dll; do
    osslsigncode verify -CAfile "$test_root" -in "$file" >/dev/null 2>&1 || { echo "   unsigned: $file"; return 1; }
  done
}

# ---- install ----
"$wine" "$setup" /S >/dev/null 2>&1
check "install: silent setup exits 0" [ $? -eq 0 ]
check "install: the files are in the 32-bit program folder" same_files "$stage"
check "install: the uninstaller is there" test -f "$folder/Uninstall.exe"
check "install: every program file carries the test publisher's signature" all_signed
check "install: Start-menu shortcuts" test -f "$menu/Tessaly.lnk" -a -f "$menu/卸载 Tessaly.lnk"
check "install: desktop shortcut" test -f "$desktop"
check "install: uninstall entry names the program" value_is "$uninstall_key" DisplayName 32 Tessaly
check "install: uninstall entry's version" value_is "$uninstall_key" DisplayVersion 32 1.0.0.4
check "install: uninstall entry's publisher" value_is "$uninstall_key" Publisher 32 Brimvane
check "install: uninstall entry's icon" value_is "$uninstall_key" DisplayIcon 32 "$windows_folder\\Tessaly.exe,0"
check "install: uninstall entry's command" value_is "$uninstall_key" UninstallString 32 "\"$windows_folder\\Uninstall.exe\""
check "install: uninstall entry's size" [ "$(( $(registry_value "$uninstall_key" EstimatedSize 32) ))" -gt 100 ]
check "install: nothing in the 64-bit view" no_key "$uninstall_key" 64
check "install: not started without /RUN" [ -z "$(program_pid)" ]

# ---- start ----
"$wine" "$windows_folder\\Tessaly.exe" >/dev/null 2>&1 &
check "start: the installed program shows its window" "$wine" "$driver" main-window
first=$(program_pid)
check "start: it runs from the program folder" [ -n "$first" ]

# ---- over the running program ----
echo damaged >"$folder/certenroll.reg"
"$wine" "$setup" /S >/dev/null 2>&1
check "over: silent setup exits 0" [ $? -eq 0 ]
check "over: the running program was closed" ended "$first"
check "over: the damaged file is put back" same_files "$stage"
check "over: the program is started again" eventually runs_anew "$first"
check "over: its window is back" "$wine" "$driver" main-window

# ---- a file that stays locked ----
before_lock=$(program_pid)
"$wine" "$hold_file" "$windows_folder\\Fennick.dll" >"$work/holder.txt" 2>/dev/null &
holder=$!
check "locked: the file is held open without sharing" eventually grep -q held "$work/holder.txt"
cp "$folder/Tessaly.exe" "$work/installed-program"
"$wine" "$next_setup" /S >/dev/null 2>&1
check "locked: the setup fails with exit status 2" [ $? -eq 2 ]
check "locked: the program file is unchanged" cmp -s "$folder/Tessaly.exe" "$work/installed-program"
check "locked: the uninstall entry keeps its version" value_is "$uninstall_key" DisplayVersion 32 1.0.0.4
check "locked: the program runs again" eventually runs_anew "$before_lock"
kill "$holder" 2>/dev/null
check "locked: the holder of the file has ended" eventually ended "$holder"
wait "$holder" 2>/dev/null
holder=

# ---- the self-update's installer variant ----
# It starts from the first version, whatever the locked case left.
"$wine" "$setup" /S >/dev/null 2>&1
check "update: the first version is installed to begin with" value_is "$uninstall_key" DisplayVersion 32 1.0.0.4
cp "$next_setup" "$files/TessalySetup.exe"
cat >"$files/update.xml" <<DOCUMENT
<?xml version="1.0" encoding="utf-8"?>
<checkitems base="$server/files/">
  <config type="service"><entry>$server/probe/diagnosis-update</entry></config>
  <appinfo version="1.0.0.5" remote="$server/files/Tessaly.exe" installer="$server/files/TessalySetup.exe"/>
</checkitems>
DOCUMENT
"$wine" "$driver" close >/dev/null 2>&1
timeout 60 "$wineserver" -w || "$wineserver" -k
"$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
  /d "$server/files/update.xml" /f >/dev/null 2>&1
"$wine" reg delete "$settings" /v LastUpdate /f >/dev/null 2>&1
"$wine" "$windows_folder\\Tessaly.exe" >/dev/null 2>&1 &
old=$!
"$wine" "$driver" poll >/dev/null 2>&1
picture() {
  [ -n "$pictures" ] || return 0
  mkdir -p "$pictures"
  sleep 1
  import -display "$DISPLAY" -window root "$pictures/setup-$1.png" 2>/dev/null
}
check "update: the question is answered" "$wine" "$driver" answer yes
check "update: the program ends for the setup" eventually ended "$old"
sleep 2
picture 1-welcome
check "update: welcome page" "$wine" "$driver" setup "下一步(&N) >"
picture 2-folder
# Not tested: the folder page's "安装(&I)" is not found by the driver under Wine, so the
# setup is ended here and the newer version's install through its pages is left unchecked.
picture 2-folder
setup_pid() {
  local pid
  for pid in $(pgrep -f 'TessalySetup.exe'); do
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
for pid in $(setup_pid); do kill "$pid"; done
timeout 60 "$wineserver" -w

# ---- uninstall ----
"$wine" reg add "$run_key" /v Tessaly /t REG_SZ /d "$windows_folder\\Tessaly.exe" /f >/dev/null 2>&1
cat >"$work/task.xml" <<TASK
<?xml version="1.0" encoding="UTF-16"?>
<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">
  <Triggers><LogonTrigger id="Trigger1"><Enabled>true</Enabled></LogonTrigger></Triggers>
  <Actions Context="Author"><Exec><Command>$windows_folder\\Tessaly.exe</Command></Exec></Actions>
</Task>
TASK
"$wine" schtasks /create /tn Tessaly /xml "$("$wine" winepath -w "$work/task.xml" 2>/dev/null)" /f >/dev/null 2>&1
check "uninstall: a logon task is planted" test -f "$task"
# What Ravelin leaves while loaded, no longer in use.
mkdir -p "$temp/WDQUAYMARK340"
touch "$temp/WDQUAYMARK340/TokenMgr.dll"
"$wine" "$windows_folder\\Tessaly.exe" >/dev/null 2>&1 &
check "uninstall: the program runs before" "$wine" "$driver" main-window
running_now=$(program_pid)
# The test's own configuration address goes before the uninstall, which removes the
# program's keys under the publisher's key and that key itself once it is empty.
"$wine" reg delete 'HKCU\Software\Brimvane\Tessaly' /f >/dev/null 2>&1
"$wine" "$windows_folder\\Uninstall.exe" /S >/dev/null 2>&1
check "uninstall: silent uninstall exits 0" [ $? -eq 0 ]
timeout 120 "$wineserver" -w
check "uninstall: the running program was ended" ended "${running_now:-0}"
check "uninstall: the program folder is gone" test ! -e "$folder"
check "uninstall: the shortcuts are gone" test ! -e "$menu" -a ! -e "$desktop"
check "uninstall: the logon task is gone" test ! -e "$task"
check "uninstall: the Run value is gone" [ -z "$(registry_value "$run_key" Tessaly 64)" ]
check "uninstall: the settings key is gone" no_key "$settings" 64
check "uninstall: the uninstall entry is gone" no_key "$uninstall_key" 32
check "uninstall: the program's download folder is gone" test ! -e "$temp/DownTmp"
check "uninstall: Ravelin's private folder is gone" test ! -e "$temp/WDQUAYMARK340"
snapshot >"$work/after.txt"
# What Wine itself makes once any program has run (the Internet cache of WinINet, the
# certificate stores of CryptoAPI, the trust providers WinVerifyTrust registers on first use,
# the console's settings, the uninstall list, present from the start on Windows) is not the
# setup's.
left_behind() {
  local added
  added=$(comm -13 "$work/before.txt" "$work/after.txt" |
    grep -vE 'INetCache|INetCookies|SystemCertificates|Wintrust\\\\Trust Providers|^\[Console\]$|^\[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\]$')
  [ -z "$added" ] || { echo "$added" | sed 's/^/   left: /'; return 1; }
}
check "uninstall: nothing is left in the prefix's files and registry" left_behind

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
