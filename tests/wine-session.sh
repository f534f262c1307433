# The common start of an end-to-end suite on Wine, sourced by the suite with its own
# arguments still in "$@":
#   - the suite runs again under the local test server (tests/server), which serves a folder
#     of files made for this run: $files, the server's address in $server;
#   - a fresh prefix in $work/prefix (tests/wine-prefix.sh gives $wine and $wineserver);
#   - a virtual display of its own, and the checks of tests/checks.sh;
#   - on exit: the suite's own `suite_cleanup` when it defines one, then the prefix's
#     processes, the display and $work are ended and removed.
# shellcheck shell=bash disable=SC2034  # $files and $server are read by the suite
session_tests=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

if [ -z "${TESSALY_SESSION_FILES:-}" ]; then
  files=$(mktemp -d)
  TESSALY_SESSION_FILES=$files TESSALY_TEST_FILES=$files \
    "$session_tests/server/with-test-server.sh" bash "$0" "$@"
  status=$?
  rm -rf "$files"
  exit $status
fi

files=$TESSALY_SESSION_FILES
server=$TESSALY_TEST_SERVER
# shellcheck source=tests/wine-prefix.sh
source "$session_tests/wine-prefix.sh"
work=$(mktemp -d)
export WINEPREFIX="$work/prefix"
display_pid=
end_session_on_exit() {
  declare -F suite_cleanup >/dev/null && suite_cleanup
  "$wineserver" -k 2>/dev/null
  [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null
  rm -rf "$work"
}
trap end_session_on_exit EXIT
# shellcheck source=tests/checks.sh
source "$session_tests/checks.sh"

start_virtual_display
init_wine_prefix
