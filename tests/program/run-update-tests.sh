#!/usr/bin/env bash
# The self-update of the real Tessaly.exe in real processes under Wine, on a virtual display,
# in a fresh prefix (tests/wine-prefix.sh), against the local test server. The server's configuration names
# a newer build of the program (the same program with file version 1.0.0.5); each run starts
# the program under its own name in a folder of its own under the program folder (for the
# 32-bit build on 64-bit Windows "Program Files (x86)"), answers its real prompts through
# their windows (prompt_driver.exe) and looks at what is left in the folder:
#   accepted     the program asks, downloads, moves itself to ".old", puts the new build in
#                place, starts it with "/update" and ends; the new instance deletes the
#                ".old" copy and runs its diagnosis
#   mandatory    the information box instead of the question, then the same
#   declined     nothing is replaced and the diagnosis starts at once
#   installer    the record's installer is downloaded and started, nothing is replaced and
#                the program ends
#   mismatch     a served build whose digest is not the record's: deleted, nothing replaced,
#                the program keeps running and its diagnosis starts
#   cut          a download that breaks off half-way: the same
#   renamed      the program file named otherwise than the record's file: the new build
#                lands beside it, no ".old" copy is made, the program restarts itself and
#                exactly one instance is left running
#   usage: tests/program/run-update-tests.sh TESSALY_EXE NEXT_VERSION_EXE PROMPT_DRIVER_EXE TEST_INSTALLER_EXE
# Ends with "N passed, N failed".
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
program=$(absolute "$1")
next=$(absolute "$2")
driver=$(absolute "$3")
installer=$(absolute "$4")

# shellcheck source=tests/wine-session.sh
source "$here/../wine-session.sh"

cp "$next" "$files/Tessaly.exe"
cp "$installer" "$files/TessalyTestInstaller.exe"
next_md5=$(md5sum "$next" | cut -d' ' -f1)
# A configuration whose only check is a service on the test server (so a hit shows the
# diagnosis ran) and whose update record names the newer build.
document() {
  local name=$1 remote=$2 attributes=$3
  cat >"$files/$name.xml" <<DOCUMENT
<?xml version="1.0" encoding="utf-8"?>
<checkitems base="$server/files/">
  <config type="service"><entry>$server/probe/diagnosis-$name</entry></config>
  <appinfo version="1.0.0.5" remote="$server/$remote" $attributes/>
</checkitems>
DOCUMENT
}
document accepted files/Tessaly.exe "md5=\"$next_md5\""
document mandatory files/Tessaly.exe 'imperative="1"'
document declined files/Tessaly.exe ''
document installer files/Tessaly.exe "installer=\"$server/files/TessalyTestInstaller.exe\""
document mismatch files/Tessaly.exe 'md5="0123456789abcdef0123456789abcdef"'
document cut cut/Tessaly.exe ''
document renamed files/Tessaly.exe ''

settings='HKCU\Software\Brimvane\Orvendel\Quaymark'
downloads=$("$wine" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
downloads_unix=$("$wine" winepath -u "$downloads\\DownTmp" 2>/dev/null)
# Customers install the program under the program folder (for the 32-bit program on 64-bit
# Windows, "Program Files (x86)"), as the program itself names it.
program_files=$("$wine" "$driver" program-folder 2>/dev/null | tr -d '\r')
program_files_unix=$("$wine" winepath -u "$program_files" 2>/dev/null)
if [ -z "$downloads" ] || [ -z "$downloads_unix" ] || [ -z "$program_files_unix" ]; then
  echo "the prefix's temporary or program folder is unknown"
  echo "0 passed, 1 failed"
  exit 1
fi

hits() { python3 -c 'import sys, urllib.request; print(urllib.request.urlopen(sys.argv[1]).read().decode())' "$server/hits/$1"; }
diagnosis_ran() { [ "$(hits "diagnosis-$1")" -ge 1 ]; }
same_file() { cmp -s "$1" "$2"; }
absent() { [ ! -e "$1" ]; }
ended() { ! kill -0 "$1" 2>/dev/null; }
running() { kill -0 "$1" 2>/dev/null; }
instances() { pgrep -fc "$1" || true; }
one_instance() { [ "$(instances "$1")" -eq 1 ]; }

# Starts the program under its ordinary name in a folder of its own, with the scenario's
# configuration and an update check due, and stands in for the page's load, which starts the
# configuration poll (Wine has no HTML engine to load the page). The program reads the
# administrator's address under its own name, that of its file. Sets $folder and $pid.
start_program() {
  local name=$1 file=${2:-Tessaly.exe}
  folder="${program_files_unix%/}/Quaymark $name"
  mkdir -p "$folder"
  cp "$program" "$folder/$file"
  "$wine" reg add "HKCU\\Software\\Brimvane\\${file%.exe}\\Quaymark" /v ConfigUrl /t REG_SZ \
    /d "$server/files/$name.xml" /f >/dev/null 2>&1
  "$wine" reg delete "$settings" /v LastUpdate /f >/dev/null 2>&1
  rm -f "$downloads_unix/Tessaly.exe"
  "$wine" "$folder/$file" >/dev/null 2>&1 &
  pid=$!
  "$wine" "$driver" poll >/dev/null 2>&1
}

# Closes the running instance, if one is meant to run, and waits for Wine to settle.
end_programs() {
  [ "${1:-}" = ended ] || "$wine" "$driver" close >/dev/null 2>&1
  timeout 60 "$wineserver" -w || "$wineserver" -k
}

# Keeps a copy of the folder's "Tessaly.exe.old" the moment it appears, for up to 30 s: the
# new instance deletes it soon after, and only the copy shows it was made, and of what.
keep_old_copy() {
  local kept=$1
  rm -f "$kept"
  for _ in $(seq 600); do
    [ -e "$folder/Tessaly.exe.old" ] && cp "$folder/Tessaly.exe.old" "$kept" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}

# The accepted and the mandatory update: the new build replaces the running program.
for scenario in accepted mandatory; do
  start_program "$scenario"
  keep_old_copy "$work/$scenario.old" &
  keeper=$!
  if [ "$scenario" = accepted ]; then
    check "$scenario: the question is answered" "$wine" "$driver" answer yes
  else
    check "$scenario: the notice is confirmed" "$wine" "$driver" confirm
  fi
  check "$scenario: the old instance ends" eventually ended "$pid"
  check "$scenario: the new build is in place" same_file "$folder/Tessaly.exe" "$next"
  wait "$keeper"
  check "$scenario: the running program was moved to .old" same_file "$work/$scenario.old" "$program"
  check "$scenario: the new instance deleted the .old copy" eventually absent "$folder/Tessaly.exe.old"
  check "$scenario: the new instance runs" "$wine" "$driver" poll
  check "$scenario: the new instance ran its diagnosis" eventually diagnosis_ran "$scenario"
  check "$scenario: the download went into place" absent "$downloads_unix/Tessaly.exe"
  end_programs
done

start_program declined
check "declined: the question is answered" "$wine" "$driver" answer no
check "declined: the diagnosis starts at once" eventually diagnosis_ran declined
check "declined: the program keeps running" running "$pid"
check "declined: nothing is replaced" same_file "$folder/Tessaly.exe" "$program"
end_programs

start_program installer
rm -f "$downloads_unix/test-installer-command.txt"
check "installer: the question is answered" "$wine" "$driver" answer yes
check "installer: the installer ran" eventually test -s "$downloads_unix/test-installer-command.txt"
check "installer: the program ends" eventually ended "$pid"
check "installer: nothing is replaced" same_file "$folder/Tessaly.exe" "$program"
end_programs ended

served_more() { [ "$(hits "$1")" -gt "$2" ]; }
for scenario in mismatch cut; do
  token=files-Tessaly_exe
  [ "$scenario" = cut ] && token=cut-Tessaly_exe
  served=$(hits "$token")
  start_program "$scenario"
  check "$scenario: the question is answered" "$wine" "$driver" answer yes
  check "$scenario: the new build is fetched" eventually served_more "$token" "$served"
  check "$scenario: the download is deleted" eventually absent "$downloads_unix/Tessaly.exe"
  check "$scenario: nothing is replaced" same_file "$folder/Tessaly.exe" "$program"
  check "$scenario: no .old copy" absent "$folder/Tessaly.exe.old"
  check "$scenario: the program keeps running" running "$pid"
  check "$scenario: it stays the only instance" "$wine" "$driver" main-window
  check "$scenario: back to the diagnosis" eventually diagnosis_ran "$scenario"
  end_programs
done

# The restart starts the program's own file again, which must wait for the closing instance
# rather than meet its mutex, signal it and end with it.
start_program renamed TessalyBank.exe
check "renamed: the question is answered" "$wine" "$driver" answer yes
check "renamed: the old instance ends" eventually ended "$pid"
check "renamed: the new build lands under the record's name" eventually same_file "$folder/Tessaly.exe" "$next"
check "renamed: no .old copy" absent "$folder/TessalyBank.exe.old"
check "renamed: an instance runs" "$wine" "$driver" main-window
sleep 2
check "renamed: exactly one instance is left" one_instance 'TessalyBank\.exe'
end_programs

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
