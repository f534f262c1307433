# shellcheck shell=bash
# Sourced by the end-to-end test scripts: their pass and fail counters, a labelled check,
# waiting for a condition, and a virtual display of their own.
passed=0
failed=0

# check LABEL COMMAND...: counts the command's outcome and prints it under the label.
check() {
  local label=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok   $label"
  else
    failed=$((failed + 1))
    echo "FAIL $label"
  fi
}

# within SECONDS COMMAND...: waits up to that long for a condition.
within() {
  local limit=$1
  shift
  for _ in $(seq $((limit * 5))); do
    "$@" && return 0
    sleep 0.2
  done
  "$@"
}

# eventually COMMAND...: waits up to 30 s for a condition.
eventually() { within 30 "$@"; }

# Starts an Xvfb on a number no one else uses, exports DISPLAY and sets display_pid (for the
# caller's clean-up); without a display the run ends as one failure.
start_virtual_display() {
  local number
  display_pid=
  for number in $(seq 140 199); do
    [ -e "/tmp/.X$number-lock" ] && continue
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    display_pid=$!
    sleep 1
    if kill -0 "$display_pid" 2>/dev/null; then
      export DISPLAY=":$number"
      return 0
    fi
    display_pid=
  done
  echo "no virtual display"
  echo "0 passed, 1 failed"
  exit 1
}
