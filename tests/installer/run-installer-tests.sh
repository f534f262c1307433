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
#               downloads the newer setup, starts it and closes; the setup is driven through
#               its pages as a customer would (welcome, folder and install, finish with the
#               program to be run, each pictured): the newer files and version are installed,
#               the program runs again from the folder, the old one is gone, and only the
#               setup that ran is left in the download folder
#   logon       start at logon: the Run value the program makes before Vista is planted
#               byte for byte and a logon simulated (the session ended, wineboot run without
#               --init, which runs the Run keys' commands): the program's window appears,
#               from the installed folder, and nothing reports an error
#   uninstall   silent uninstall with a logon task planted, the Run value of the logon case
#               and the program running: no file, shortcut, task, Run value, settings or
#               uninstall entry is left (the prefix's files and registry keys compared with
#               those before the install)
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

holder=
suite_cleanup() { [ -n "$holder" ] && kill "$holder" 2>/dev/null; }
# shellcheck source=tests/wine-session.sh
source "$here/../wine-session.sh"
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
# The whole screen, when pictures are asked for.
picture() {
  [ -n "$pictures" ] || return 0
  mkdir -p "$pictures"
  sleep 1
  import -display "$DISPLAY" -window root "$pictures/setup-$1.png" 2>/dev/null
}

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
program_pattern='Program Files \(x86\)\\Tessaly\\Tessaly.exe'
program_pid() { pgrep -f "$program_pattern" | head -n1; }
# Ends the prefix's session once its programs have ended, or after a minute regardless.
end_session() { timeout 60 "$wineserver" -w || "$wineserver" -k; }
runs_anew() { local now; now=$(program_pid); [ -n "$now" ] && [ "$now" != "$1" ]; }
same_files() {
  local name
  for name in $(cd "$1" && ls); do
    cmp -s "$1/$name" "$folder/$name" || { echo "   differs: $name"; return 1; }
  done
}
# The same program apart from its signature (the setup's copy is signed anew).
same_build() {
  osslsigncode remove-signature -in "$1" -out "$work/one.exe" >/dev/null 2>&1 &&
    osslsigncode remove-signature -in "$2" -out "$work/other.exe" >/dev/null 2>&1 &&
    cmp -s "$work/one.exe" "$work/other.exe"
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
end_session
"$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
  /d "$server/files/update.xml" /f >/dev/null 2>&1
"$wine" reg delete "$settings" /v LastUpdate /f >/dev/null 2>&1
"$wine" "$windows_folder\\Tessaly.exe" >/dev/null 2>&1 &
old=$!
"$wine" "$driver" poll >/dev/null 2>&1
check "update: the question is answered" "$wine" "$driver" answer yes
check "update: the program ends for the setup" eventually ended "$old"
# The customer's way through the setup's pages: page TEXT NAME waits for the page whose
# forward button shows TEXT and is enabled (the install page's only once the files are in),
# pictures it as NAME and presses on.
page() { "$wine" "$driver" setup-page "$1" && picture "$2" && "$wine" "$driver" setup "$1"; }
check "update: welcome page" page "下一步(&N) >" 1-welcome
check "update: folder page, install pressed" page "安装(&I)" 2-folder
picture 3-installing
check "update: finish page" "$wine" "$driver" setup-page "完成(&F)"
check "update: the program waits for the finish page" [ -z "$(program_pid)" ]
check "update: finish pressed, the program to be run" page "完成(&F)" 4-finish
check "update: the newer version's files are installed" same_files "$next_stage"
check "update: its program file is the newer build" same_build "$next_program" "$folder/Tessaly.exe"
check "update: the uninstall entry's version" value_is "$uninstall_key" DisplayVersion 32 1.0.0.5
check "update: the finish page starts the installed program" eventually runs_anew "$old"
check "update: its window is found" "$wine" "$driver" main-window
check "update: the old program is gone, one runs" [ "$(pgrep -fc "$program_pattern")" = 1 ]
# The setup that ran stays where it was downloaded (removed with the program); nothing else.
check "update: no stray download" [ "$(ls "$temp/DownTmp")" = TessalySetup.exe -a \
  ! -e "$folder/Tessaly.exe.old" ]

# ---- start at logon from the installed folder ----
# The program makes its entry only when its page asks, and no page runs under Wine: the entry
# it makes before Vista is planted instead, byte for byte (REG_SZ, the full path in double quotes,
# no arguments, no terminating zero, which only Wine's own registry file takes as it is). Wine
# runs the Run keys' commands when wineboot starts without --init, as Windows does at logon.
"$wine" "$driver" close >/dev/null 2>&1
end_session
check "logon: the program has ended before" [ -z "$(program_pid)" ]
run_data=$(printf '"%s"' "$windows_folder\\Tessaly.exe" | iconv -t UTF-16LE | od -An -tx1 -v |
  tr -s ' \n' ',' | sed 's/^,//; s/,$//')
printf '\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Run]\n"Tessaly"=hex(1):%s\n' \
  "$run_data" >>"$WINEPREFIX/user.reg"
check "logon: the entry names the installed program" \
  value_is "$run_key" Tessaly 64 "\"$windows_folder\\Tessaly.exe\""
end_session
WINEDEBUG=-all,err+all "$wine" wineboot >"$work/logon.txt" 2>&1
check "logon: the program shows its window" "$wine" "$driver" main-window
check "logon: it runs from the installed folder" [ -n "$(program_pid)" ]
check "logon: nothing reports an error" [ ! -s "$work/logon.txt" ]
picture 5-logon

# ---- uninstall ----
# With the Run value of the logon case, and the program it started running.
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
# the console's settings, the uninstall list, present from the start on Windows) or makes at
# a logon (the Run key of the 32-bit view) is not the setup's.
left_behind() {
  local added
  added=$(comm -13 "$work/before.txt" "$work/after.txt" |
    grep -vE 'INetCache|INetCookies|SystemCertificates|Wintrust\\\\Trust Providers|^\[Console\]$|^\[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\(Run|Uninstall)\]$')
  [ -z "$added" ] || { echo "$added" | sed 's/^/   left: /'; return 1; }
}
check "uninstall: nothing is left in the prefix's files and registry" left_behind

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
