#!/usr/bin/env bash
# Runs every test suite of Tessaly on a fresh Debian 12 machine (as root):
#   1. native unit tests, plain and with AddressSanitizer + UndefinedBehaviorSanitizer; the
#      benchmark programs built (not timed);
#   2. the shipped i686 files, each checked to load on Windows XP SP3; the whole i686 build
#      (tests included) under 32-bit Wine in fresh WoW64 prefixes: the Windows tests, the
#      console front end end to end, the component installs, Tessaly.exe itself in real
#      processes on a virtual display, its self-update and certificate pages, the key
#      adapters, and the real page in chromium against the real program through the
#      development bridge; the console and the program start on 32-bit Windows too;
#   3. the page in Debian's chromium with a mock of the program's external object;
#   4. bounded libFuzzer runs of the XML reader and of the document signature comment under
#      ASan + UBSan.
# Every layer must run at least one test. Ends with one line "N passed, N failed".
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
log_dir=$(mktemp -d)
passed=0
failed=0
fuzz_seconds=${TESSALY_FUZZ_SECONDS:-60}

# Each step's time is shown with its result, so that slow suites are seen.
step_started=$SECONDS
note() { printf '== %s\n' "$*"; step_started=$SECONDS; }
fail_layer() { printf 'FAILED: %s\n' "$*"; failed=$((failed + 1)); }

# Builds a preset; a broken build counts as one failed test.
build() {
  local preset=$1
  shift
  note "build $preset"
  if ! { cmake --preset "$preset" >"$log_dir/configure-$preset.log" 2>&1 &&
         cmake --build --preset "$preset" -j"$(nproc)" "$@" >"$log_dir/build-$preset.log" 2>&1; }; then
    tail -n 40 "$log_dir/configure-$preset.log" "$log_dir/build-$preset.log"
    fail_layer "build of $preset"
    return 1
  fi
  printf '   built in %s s\n' $((SECONDS - step_started))
}

# Adds a suite's counts. A suite that exits non-zero or passes nothing counts as failed
# (at least once), and its log tail is shown.
add_counts() {
  local label=$1 status=$2 ok=${3:-0} bad=${4:-0} output=$5
  if [ "$status" -ne 0 ] || [ "$ok" -eq 0 ]; then
    tail -n 60 "$output"
    [ "$bad" -eq 0 ] && bad=1
  fi
  printf '   %s: %s passed, %s failed (%s s)\n' "$label" "$ok" "$bad" $((SECONDS - step_started))
  passed=$((passed + ok))
  failed=$((failed + bad))
}

# Runs a GoogleTest program and adds its counts.
run_gtest() {
  local label=$1
  shift
  local output="$log_dir/$label.log"
  note "run $label"
  "$@" --gtest_brief=1 >"$output" 2>&1
  local status=$?
  add_counts "$label" "$status" \
    "$(grep -aoE '^\[  PASSED  \] [0-9]+ test' "$output" | grep -oE '[0-9]+' | head -n1)" \
    "$(grep -aoE '^\[  FAILED  \] [0-9]+ test' "$output" | grep -oE '[0-9]+' | head -n1)" \
    "$output"
}

# Runs a suite that ends with its own "N passed, N failed" line and adds its counts.
run_counted() {
  local label=$1
  shift
  local output="$log_dir/$label.log"
  note "run $label"
  "$@" >"$output" 2>&1
  local status=$?
  local summary
  summary=$(grep -aoE '^[0-9]+ passed, [0-9]+ failed' "$output" | tail -n1)
  add_counts "$label" "$status" "$(echo "$summary" | awk '{print $1}')" \
    "$(echo "$summary" | awk '{print $3}')" "$output"
}

# Runs a command that must exit with the given status; counts as one test.
expect_status() {
  local label=$1 expected=$2
  shift 2
  "$@" >"$log_dir/$label.log" 2>&1
  local status=$?
  if [ "$status" -eq "$expected" ]; then
    passed=$((passed + 1))
  else
    tail -n 20 "$log_dir/$label.log"
    fail_layer "$label: exit status $status, expected $expected"
  fi
}

bash scripts/setup.sh >"$log_dir/setup.log" 2>&1 || { tail -n 40 "$log_dir/setup.log"; echo "setup failed"; exit 1; }

# ---- layer 1: native ------------------------------------------------------------------
bad_document="$log_dir/not-a-configuration.xml"
printf '<config type="host"><entry>x</entry></config>' >"$bad_document"
if build native; then
  run_gtest native-xml build/native/tests/tessaly_xml_tests
  run_gtest native-core build/native/tests/tessaly_tests
  run_gtest native-fennick-softhsm build/native/tests/fennick_softhsm_tests
  run_gtest native-ravelin build/native/tests/tessaly_ravelin_tests
  # Ravelin's external-authentication key against an independent computation.
  run_counted ravelin-key-derivation python3 tests/ravelin/derive-external-auth-key-check.py \
    build/native/tests/print_external_auth_key adapters/ravelin/standin/issuer-constants.txt
  expect_status native-itemcheck-default 0 build/native/tools/itemcheck/itemcheck
  expect_status native-itemcheck-json 0 build/native/tools/itemcheck/itemcheck --json
  expect_status native-itemcheck-rejects 1 build/native/tools/itemcheck/itemcheck "$bad_document"
fi
# How the build obtains the root certificates (stand-ins, thumbprints, release refusal).
run_counted certificate-build cmake -DSOURCE_DIR="$root" -P tests/certificates/RootCertificateBuildTest.cmake
# What Ravelin's build takes as key constants and carried middleware, and what a release refuses.
run_counted ravelin-release-build cmake -DSOURCE_DIR="$root" -DWORK_DIR="$log_dir/ravelin-release-build" \
  -P tests/ravelin/RavelinReleaseBuildTest.cmake
if build native-sanitize; then
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
  run_gtest sanitized-xml build/native-sanitize/tests/tessaly_xml_tests
  run_gtest sanitized-core build/native-sanitize/tests/tessaly_tests
  run_gtest sanitized-ravelin build/native-sanitize/tests/tessaly_ravelin_tests
fi

# The benchmark programs are only built here (timings mean nothing on a shared machine), so
# that bench/run-benchmarks.sh and bench/md5/run-md5-benchmark.sh cannot break unseen.
build native-bench --target xml_reader_benchmark hosts_check_benchmark file_md5 || true

# ---- layer 2: Windows -----------------------------------------------------------------
# The shipped i686 build (preset win32, its tests included) under 32-bit Wine: every suite
# in a WoW64 prefix (64-bit Windows with 32-bit support, the customers' usual case), then
# the console and the program start again on a 32-bit Windows (WINEARCH=win32).
# A block of suites runs "$wine" on files under "$windows" (build/win32); the GoogleTest
# programs share the prefix fresh_prefix makes, the suite scripts make their own.
# shellcheck source=tests/wine-prefix.sh
source tests/wine-prefix.sh
windows=build/win32
windows_preset=win32
runs_32_bit=1
not_run_32_bit=""
if ! "$wine" --version >/dev/null 2>&1; then
  # Some machines cannot start a 32-bit program at all (a virtual machine without 32-bit
  # user mode). The 64-bit build then stands in so that the Windows code and its suites
  # still run, and the summary says loudly that the shipped build was not.
  not_run_32_bit="this machine cannot run 32-bit programs: the shipped build was not run, the 64-bit build stood in"
  note "$not_run_32_bit"
  runs_32_bit=0
  windows=build/win64
  windows_preset=win64
  wine=/usr/lib/wine/wine64
fi
export WINE=$wine

prefix_home=""
# Points WINEPREFIX at a fresh prefix (WoW64, or a 32-bit Windows under WINEARCH=win32),
# ending the one before.
fresh_prefix() {
  end_prefix
  prefix_home=$(mktemp -d)
  export WINEPREFIX="$prefix_home/prefix"
  init_wine_prefix
}
end_prefix() {
  [ -n "$prefix_home" ] || return 0
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$prefix_home"
  prefix_home=""
  unset WINEPREFIX
}

# What ships is listed by the build (cmake/ShippedFiles.cmake); XP SP3 must be able to load
# every file there (imports, a DLL's thread-local data, manifests); the check itself is
# tested on probe files that never ship.
windows_built=0
# Where the 64-bit build stands in, the 32-bit one is only checked, not run: only what ships
# is built in 32 bits there.
win32_targets=()
[ "$windows_preset" = win32 ] || win32_targets=(--target tessaly_shipped)
if build win32 "${win32_targets[@]}"; then
  [ "$windows_preset" = win32 ] && windows_built=1
  run_counted xp-shipped-files python3 scripts/check-shipped-files.py build/win32/shipped-files.txt
  # The shipped 32-bit Fennick.dll exports exactly the eight adapter functions, undecorated.
  run_counted win32-fennick-exports bash tests/fennick/check-exports.sh i686-w64-mingw32-objdump \
    build/win32/adapters/fennick/Fennick.dll CheckKeyEnv GetKeyCount GetKeySN GetCertCN \
    GetCertNotBefore GetCertNotAfter GetPinRetryTimes DefaultPINFlg
  # The shipped 32-bit key adapters export exactly the contract's undecorated names.
  run_counted win32-ravelin-exports bash tests/ravelin/check-exports.sh i686-w64-mingw32-objdump \
    build/win32/adapters/ravelin/Ravelin.dll build/win32/adapters/ravelin/Ravelin_.dll
fi
run_counted xp-shipped-check bash tests/xp/run-shipped-check-tests.sh
if [ "$windows_preset" = win64 ] && build win64; then
  windows_built=1
fi
if [ "$windows_built" = 1 ]; then
  note "prepare a fresh WoW64 prefix"
  fresh_prefix
  run_gtest wine-xml "$wine" "$windows/tests/tessaly_xml_tests.exe"
  run_gtest wine-core tests/server/with-test-server.sh "$wine" "$windows/tests/tessaly_tests.exe"
  run_gtest wine-program-parts "$wine" "$windows/tests/tessaly_program_tests.exe" \
    '--gtest_filter=-TessalyProgramTest.*'
  expect_status wine-itemcheck-default 0 "$wine" "$windows/tools/itemcheck/itemcheck.exe"
  expect_status wine-itemcheck-rejects 1 "$wine" "$windows/tools/itemcheck/itemcheck.exe" "$bad_document"
  expect_status wine-console-usage 2 "$wine" "$windows/tools/console/TessalyConsole.exe" --bogus
  run_gtest wine-ravelin-core "$wine" "$windows/tests/tessaly_ravelin_tests.exe"
  run_gtest wine-ravelin "$wine" "$windows/adapters/ravelin/ravelin_library_tests.exe" \
    '--gtest_filter=-RavelinLibraryMessageTest.*:RavelinRequestRoundTripTest.*'
  # Ravelin's certificate requests judged by OpenSSL's commands, their certificates imported.
  run_counted wine-ravelin-requests bash tests/ravelin/run-request-round-trip.sh "$wine" \
    "$windows/adapters/ravelin/ravelin_library_tests.exe"
  "$wineserver" -k 2>/dev/null || true
  # Ravelin's message box on a refused load, read and dismissed on a virtual display.
  run_gtest wine-ravelin-messages xvfb-run -a "$wine" "$windows/adapters/ravelin/ravelin_library_tests.exe" \
    '--gtest_filter=RavelinLibraryMessageTest.*'
  # The prompts' boxes shown on a virtual display and answered from outside.
  run_gtest wine-prompts-display xvfb-run -a "$wine" "$windows/tests/tessaly_tests.exe" \
    '--gtest_filter=Win32PromptsTest.*'
  end_prefix
  # The console front end end to end, in a prefix of its own.
  run_counted wine-console tests/server/with-test-server.sh \
    bash tests/console/run-console-e2e.sh "$windows/tools/console/TessalyConsole.exe" \
    "$windows/adapters/fennick/Fennick.dll" "$windows/tests/QUAYMARKAUDIOPASS3000.dll" \
    "$windows/adapters/ravelin/Ravelin.dll"
  # The real program in real processes, on a virtual display, in a prefix of its own.
  run_counted wine-program tests/server/with-test-server.sh \
    bash tests/program/run-program-tests.sh "$windows/shell/win32/Tessaly.exe" \
    "$windows/tests/tessaly_program_tests.exe"
  # The certificate pages' progress window and enrolment-control repair, on a virtual display,
  # in a prefix of their own; the window's picture is kept in the log folder.
  run_counted wine-certificates tests/server/with-test-server.sh \
    bash tests/program/run-certificate-tests.sh "$windows/shell/win32/Tessaly.exe" \
    "$windows/tests/tessaly_program_tests.exe" "$log_dir"
  # The real page in Chromium against the real program (the development bridge), on a
  # virtual display, in a prefix of its own; screenshots beside the logs.
  TESSALY_SCREENSHOTS="$log_dir/bridge-screenshots" \
    TESSALY_TEST_FILES="$root/$windows/tests/components" run_counted wine-bridge \
    tests/server/with-test-server.sh bash tests/bridge/run-bridge-tests.sh \
    "$windows/tools/bridge/TessalyBridge.exe" "$windows/tests/bridge_window_signal.exe" \
    "$windows/resources/page/js/jquery.min.js"
  # The self-update end to end: the program replaced by a newer build of itself, and the
  # question, notice, installer, digest and broken-download cases.
  run_counted wine-update bash tests/program/run-update-tests.sh "$windows/shell/win32/Tessaly.exe" \
    "$windows/tests/next-version/Tessaly.exe" "$windows/tests/prompt_driver.exe" \
    "$windows/tests/components/TessalyTestInstaller.exe"
  # The component installs end to end: the test installer and COM library the build made.
  TESSALY_TEST_FILES="$root/$windows/tests/components" run_counted wine-components \
    tests/server/with-test-server.sh \
    bash tests/console/run-components-e2e.sh "$windows/tools/console/TessalyConsole.exe"
  # Nothing downloaded runs unverified: the console against the test server playing the
  # attacker (documents and installers it must refuse, and their properly signed twins).
  TESSALY_TEST_FILES="$root/$windows/tests/components" run_counted wine-signed \
    tests/server/with-test-server.sh \
    bash tests/console/run-signed-e2e.sh "$windows/tools/console/TessalyConsole.exe"
  # The program's life: exit during a download, an update question and an install, and a
  # second start with a prompt open, on a virtual display.
  run_counted wine-life bash tests/program/run-life-tests.sh "$windows/shell/win32/Tessaly.exe" \
    "$windows/tests/prompt_driver.exe"
fi
if [ "$windows_built" = 1 ] && [ "$runs_32_bit" = 1 ]; then
  # On 32-bit Windows: IsNative64BitWindows is false there, so the OS text ends in "32位"
  # and the 32-bit variant of the bank's document is asked for; Ravelin looks for its
  # middleware in one system directory only.
  WINEARCH=win32 run_counted win32-console tests/server/with-test-server.sh \
    bash tests/console/run-console-e2e.sh "$windows/tools/console/TessalyConsole.exe" \
    "$windows/adapters/fennick/Fennick.dll" "$windows/tests/QUAYMARKAUDIOPASS3000.dll" \
    "$windows/adapters/ravelin/Ravelin.dll"
  WINEARCH=win32 run_counted win32-program tests/server/with-test-server.sh \
    bash tests/program/run-program-tests.sh "$windows/shell/win32/Tessaly.exe" \
    "$windows/tests/tessaly_program_tests.exe"
fi

# The setup (tests/installer/): each signature in the i686 setup against the test root, what
# a build signs with, and the setup end to end under Wine on a display. The i686 setup runs
# where this machine runs 32-bit code; elsewhere the win64 build's setup, made from the same
# script, stands in for it.
if [ -f build/win32/installer/TessalySetup.exe ]; then
  run_counted win32-signatures bash tests/installer/verify-signatures.sh build/win32/code-signing/test-root.pem \
    build/win32/code-signing/other-root.pem build/win32/installer/TessalySetup.exe \
    build/win32/installer/TessalySetup-uninstaller.exe build/win32/installer/TessalySetup-files/*.{exe,dll} \
    build/win32/installer/signed-tools/*.exe
  run_counted signing-identity bash tests/installer/run-signing-tests.sh build/win32/installer/TessalySetup-uninstaller.exe
fi
if [ "$windows_built" = 1 ]; then
  run_counted wine-installer bash tests/installer/run-installer-tests.sh "$windows/installer/TessalySetup.exe" \
    "$windows/tests/next-version/TessalySetup.exe" "$windows/tests/next-version/Tessaly.exe" \
    "$windows/tests/prompt_driver.exe" "$windows/tests/hold_file.exe" \
    "$windows/code-signing/test-root.pem" "$log_dir/setup-pictures"
fi

# ---- layer 3: the page in a real browser ----------------------------------------------
# The generated Windows resource script is checked to carry every page asset.
TESSALY_PAGE_RC="$root/$windows/resources/TessalyResources.rc" \
  run_counted page bash tests/page/run-page-tests.sh

# ---- layer 4: fuzzing -----------------------------------------------------------------
# Only the fuzzers are built: the rest of the tree under clang and ASan is never run here.
# They share the time budget: the XML reader three quarters, the signature comment the rest.
# Runs fuzzer NAME for SECONDS from a corpus of the given files.
run_fuzzer() {
  local name=$1 seconds=$2
  shift 2
  local corpus="$log_dir/corpus-$name"
  note "fuzz $name for ${seconds}s"
  mkdir -p "$corpus"
  cp "$@" "$corpus"/
  if ASAN_OPTIONS=detect_leaks=1 "build/fuzz/fuzz/$name" "$corpus" \
       -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$log_dir/$name-" >"$log_dir/$name.log" 2>&1; then
    runs=$(grep -aoE 'stat::number_of_executed_units: *[0-9]+' "$log_dir/$name.log" | grep -oE '[0-9]+$')
    if [ "${runs:-0}" -gt 0 ]; then
      printf '   %s: %s inputs, no finding\n' "$name" "$runs"
      passed=$((passed + 1))
    else
      fail_layer "$name executed no input"
    fi
  else
    tail -n 60 "$log_dir/$name.log"
    fail_layer "$name found a crash, leak or sanitizer report (artifacts in $log_dir)"
  fi
}
if build fuzz --target xml_reader_fuzzer document_signature_fuzzer; then
  run_fuzzer xml_reader_fuzzer $((fuzz_seconds * 3 / 4)) fuzz/corpus/* resources/item.xml
  run_fuzzer document_signature_fuzzer $((fuzz_seconds - fuzz_seconds * 3 / 4)) \
    fuzz/signature-corpus/*
fi

[ -n "$not_run_32_bit" ] && printf 'NOT RUN: %s\n' "$not_run_32_bit"
echo "all in $SECONDS s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
