#!/usr/bin/env bash
# Runs COMMAND with the local HTTP test server: starts tests/server/http_test_server.py on
# 127.0.0.1 and a free port, exports TESSALY_TEST_SERVER=http://127.0.0.1:<port>, runs the
# command, stops the server and exits with the command's status.
#   usage: tests/server/with-test-server.sh COMMAND [ARG...]
set -uo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARG...]" >&2
  exit 2
fi

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
python3 "$here/http_test_server.py" --port-file "$work/port" >"$work/server.log" 2>&1 &
server=$!

stop_server() {
  kill "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap stop_server EXIT
trap 'exit 130' INT TERM

# The server writes its port once it listens; give it up to ten seconds.
for _ in $(seq 100); do
  [ -s "$work/port" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$work/port" ]; then
  echo "the test server did not start:" >&2
  cat "$work/server.log" >&2
  exit 1
fi

export TESSALY_TEST_SERVER="http://127.0.0.1:$(cat "$work/port")"
"$@"
exit $?
