#!/usr/bin/env bash
# The program's life as a customer meets it: the real i686 Tessaly.exe in real processes
# under 32-bit Wine in a WoW64 prefix, on a virtual display, against the local test server.
# The server's configuration offers an update (the update question) whose download is slow:
#   second start   with the update question open and the main window hidden, a second start
#                  brings the main window back and leaves the question as it is
#   question       closing the window while the question is open ends the process within
#                  seconds; nothing is replaced, no restart happens, a new start works
#   download       closing it while the update downloads ends the process within seconds;
#                  the partial download is gone, nothing is replaced, a new start works
#   usage: tests/program/run-life-tests.sh TESSALY_EXE PROMPT_DRIVER_EXE
# Ends with "N passed, N failed".
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
program=$(absolute "$1")
driver=$(absolute "$2")

# shellcheck source=tests/wine-session.sh
source "$here/../wine-session.sh"

# An update whose download takes about half a minute, so that it is still running when the
# window closes.
cat >"$files/life.xml" <<DOCUMENT
<?xml version="1.0" encoding="utf-8"?>
<checkitems base="$server/files/">
  <appinfo version="1.0.0.5" remote="$server/slow/25000000"/>
</checkitems>
DOCUMENT

settings='HKCU\Software\Brimvane\Orvendel\Quaymark'
"$wine" reg add 'HKCU\Software\Brimvane\Tessaly\Quaymark' /v ConfigUrl /t REG_SZ \
  /d "$server/files/life.xml" /f >/dev/null 2>&1
downloads=$("$wine" cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')
downloads_unix=$("$wine" winepath -u "$downloads\\DownTmp" 2>/dev/null)
if [ -z "$downloads" ] || [ -z "$downloads_unix" ]; then
  echo "the prefix's temporary folder is unknown"
  echo "0 passed, 1 failed"
  exit 1
fi

folder="$work/program"
mkdir -p "$folder"
cp "$program" "$folder/Tessaly.exe"

ended() { ! kill -0 "$1" 2>/dev/null; }
same_file() { cmp -s "$1" "$2"; }
absent() { [ ! -e "$1" ]; }
driver() { "$wine" "$driver" "$@" >/dev/null 2>&1; }
# A download is written to a staging file beside its target (named after the record's
# address) until it is complete.
staged_download() { compgen -G "$downloads_unix/*.download" >/dev/null; }
nothing_left() {
  absent "$downloads_unix/Tessaly.exe" && ! staged_download && absent "$folder/Tessaly.exe.old" &&
    absent "$folder/Tessaly.exe.new" && same_file "$folder/Tessaly.exe" "$program"
}

# Starts the program with an update check due and stands in for the page's load (Wine has
# no HTML engine), which starts the configuration poll and so the update question. Sets $pid.
start_asking() {
  "$wine" reg delete "$settings" /v LastUpdate /f >/dev/null 2>&1
  "$wine" "$folder/Tessaly.exe" >/dev/null 2>&1 &
  pid=$!
  driver poll
}

# Closes the window as the tray's "退出" does and notes how long the process took to end
# from the moment the close was posted (starting the driver itself takes Wine a while).
close_and_time() {
  driver close
  local started=$SECONDS
  within 20 ended "$pid"
  took=$((SECONDS - started))
  echo "     the process ended $took s after the close"
}

# A new start after an exit runs (its window appears), and is closed again.
new_start_works() {
  "$wine" "$folder/Tessaly.exe" >/dev/null 2>&1 &
  local again=$!
  driver main-window || return 1
  driver close
  within 20 ended "$again"
}

start_asking
check "second start: the update question is open" driver question
check "second start: the main window is hidden" driver hide-main
started=$SECONDS
"$wine" "$folder/Tessaly.exe" >/dev/null 2>&1
check "second start: the second process ends at once" test $((SECONDS - started)) -lt 20
check "second start: the main window comes back" driver main-window
check "second start: the question is untouched" driver question
check "second start: the first instance runs on" kill -0 "$pid"

# The same instance, its question still open: closing ends it, and the question with it.
close_and_time
check "question: the process ends within 10 s" test "$took" -le 10
check "question: nothing is replaced or restarted" nothing_left
"$wineserver" -w
check "question: a new start works" new_start_works

start_asking
check "download: the update is accepted" driver answer yes
check "download: the download is under way" within 30 staged_download
close_and_time
check "download: the process ends within 10 s" test "$took" -le 10
check "download: nothing half-written is left" within 5 nothing_left
"$wineserver" -w
check "download: a new start works" new_start_works

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
