#!/usr/bin/env bash
# Runs every test suite of Tessaly on a fresh Debian 12 machine (as root):
#   1. native unit tests, plain and with AddressSanitizer + UndefinedBehaviorSanitizer;
#   2. the shipped i686 files (built alone: this machine runs no 32-bit code), each checked
#      to load on Windows XP SP3; the Windows tests (MinGW x86_64) under 64-bit Wine in a
#      fresh prefix, the console front end end to end, Tessaly.exe itself in real
#      processes on a virtual display, and the real page in chromium against the real
#      program through the development bridge;
#   3. the page in Debian's chromium with a mock of the program's external object;
#   4. a bounded libFuzzer run of the XML reader under ASan + UBSan.
# Every layer must run at least one test. Ends with one line "N passed, N failed".
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
log_dir=$(mktemp -d)
passed=0
failed=0
fuzz_seconds=${TESSALY_FUZZ_SECONDS:-60}

note() { printf '== %s\n' "$*"; }
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
}

# Adds a suite's counts. A suite that exits non-zero or passes nothing counts as failed
# (at least once), and its log tail is shown.
add_counts() {
  local label=$1 status=$2 ok=${3:-0} bad=${4:-0} output=$5
  if [ "$status" -ne 0 ] || [ "$ok" -eq 0 ]; then
    tail -n 60 "$output"
    [ "$bad" -eq 0 ] && bad=1
  fi
  printf '   %s: %s passed, %s failed\n' "$label" "$ok" "$bad"
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

# ---- layer 2: Windows -----------------------------------------------------------------
# What ships is listed by the build (cmake/ShippedFiles.cmake); XP SP3 must be able to load
# every file there (imports, a DLL's thread-local data, manifests); the check itself is
# tested on probe files that never ship.
if build win32 --target tessaly_shipped; then
  run_counted xp-shipped-files python3 scripts/check-shipped-files.py build/win32/shipped-files.txt
fi
run_counted xp-shipped-check bash tests/xp/run-shipped-check-tests.sh
# The shipped 32-bit Fennick.dll exports exactly the eight adapter functions, undecorated.
run_counted win32-fennick-exports bash tests/fennick/check-exports.sh i686-w64-mingw32-objdump \
  build/win32/adapters/fennick/Fennick.dll CheckKeyEnv GetKeyCount GetKeySN GetCertCN \
  GetCertNotBefore GetCertNotAfter GetPinRetryTimes DefaultPINFlg
# The shipped 32-bit key adapters export exactly the contract's undecorated names.
run_counted win32-ravelin-exports bash tests/ravelin/check-exports.sh i686-w64-mingw32-objdump \
  build/win32/adapters/ravelin/Ravelin.dll build/win32/adapters/ravelin/Ravelin_.dll
if build win64; then
  note "prepare a fresh Wine prefix"
  WINEPREFIX=$(mktemp -d)
  export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wine=/usr/lib/wine/wine64
  "$wine" wineboot --init >"$log_dir/wineboot.log" 2>&1
  /usr/lib/wine/wineserver -w 2>/dev/null || true
  run_gtest wine-xml "$wine" build/win64/tests/tessaly_xml_tests.exe
  run_gtest wine-core tests/server/with-test-server.sh "$wine" build/win64/tests/tessaly_tests.exe
  run_gtest wine-program-parts "$wine" build/win64/tests/tessaly_program_tests.exe \
    '--gtest_filter=-TessalyProgramTest.*'
  expect_status wine-itemcheck-default 0 "$wine" build/win64/tools/itemcheck/itemcheck.exe
  expect_status wine-itemcheck-rejects 1 "$wine" build/win64/tools/itemcheck/itemcheck.exe "$bad_document"
  expect_status wine-console-usage 2 "$wine" build/win64/tools/console/TessalyConsole.exe --bogus
  run_gtest wine-ravelin-core "$wine" build/win64/tests/tessaly_ravelin_tests.exe
  run_gtest wine-ravelin "$wine" build/win64/adapters/ravelin/ravelin_library_tests.exe \
    '--gtest_filter=-RavelinLibraryMessageTest.*:RavelinRequestRoundTripTest.*'
  # Ravelin's certificate requests judged by OpenSSL's commands, their certificates imported.
  run_counted wine-ravelin-requests bash tests/ravelin/run-request-round-trip.sh "$wine" \
    build/win64/adapters/ravelin/ravelin_library_tests.exe
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  # Ravelin's message box on a refused load, read and dismissed on a virtual display.
  run_gtest wine-ravelin-messages xvfb-run -a "$wine" build/win64/adapters/ravelin/ravelin_library_tests.exe \
    '--gtest_filter=RavelinLibraryMessageTest.*'
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  # The console front end end to end, in a prefix of its own.
  run_counted wine-console tests/server/with-test-server.sh \
    bash tests/console/run-console-e2e.sh build/win64/tools/console/TessalyConsole.exe \
    build/win64/adapters/fennick/Fennick.dll build/win64/tests/QUAYMARKAUDIOPASS3000.dll \
    build/win64/adapters/ravelin/Ravelin.dll
  # The real program in real processes, on a virtual display, in a prefix of its own.
  run_counted wine-program tests/server/with-test-server.sh \
    bash tests/program/run-program-tests.sh build/win64/shell/win32/Tessaly.exe \
    build/win64/tests/tessaly_program_tests.exe
  # The certificate pages' progress window and enrolment-control repair, on a virtual display,
  # in a prefix of their own; the window's picture is kept in the log folder.
  run_counted wine-certificates tests/server/with-test-server.sh \
    bash tests/program/run-certificate-tests.sh build/win64/shell/win32/Tessaly.exe \
    build/win64/tests/tessaly_program_tests.exe "$log_dir"
  # The real page in Chromium against the real program (the development bridge), on a
  # virtual display, in a prefix of its own; screenshots beside the logs.
  TESSALY_SCREENSHOTS="$log_dir/bridge-screenshots" run_counted wine-bridge \
    tests/server/with-test-server.sh bash tests/bridge/run-bridge-tests.sh \
    build/win64/tools/bridge/TessalyBridge.exe build/win64/tests/bridge_window_signal.exe \
    build/win64/resources/page/js/jquery.min.js
  # The self-update end to end: the program replaced by a newer build of itself, and the
  # question, notice, installer, digest and broken-download cases.
  run_counted wine-update bash tests/program/run-update-tests.sh build/win64/shell/win32/Tessaly.exe \
    build/win64/tests/next-version/Tessaly.exe build/win64/tests/prompt_driver.exe \
    build/win64/tests/components/TessalyTestInstaller.exe
  # The component installs end to end: the test installer and COM library the build made.
  TESSALY_TEST_FILES="$root/build/win64/tests/components" run_counted wine-components \
    tests/server/with-test-server.sh \
    bash tests/console/run-components-e2e.sh build/win64/tools/console/TessalyConsole.exe
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
setup_preset=win32
/usr/lib/wine/wine --version >/dev/null 2>&1 || setup_preset=win64
if build "$setup_preset" --target TessalySetup TessalyNextVersionSetup prompt_driver hold_file; then
  setup_build=build/$setup_preset
  run_counted wine-installer bash tests/installer/run-installer-tests.sh "$setup_build/installer/TessalySetup.exe" \
    "$setup_build/tests/next-version/TessalySetup.exe" "$setup_build/tests/next-version/Tessaly.exe" \
    "$setup_build/tests/prompt_driver.exe" "$setup_build/tests/hold_file.exe" \
    "$setup_build/code-signing/test-root.pem" "$log_dir/setup-pictures"
fi

# ---- layer 3: the page in a real browser ----------------------------------------------
# The generated Windows resource script is checked to carry every page asset.
TESSALY_PAGE_RC="$root/build/win64/resources/TessalyResources.rc" \
  run_counted page bash tests/page/run-page-tests.sh

# ---- layer 4: fuzzing -----------------------------------------------------------------
# Only the fuzzer is built: the rest of the tree under clang and ASan is never run here.
if build fuzz --target xml_reader_fuzzer; then
  note "fuzz the XML reader for ${fuzz_seconds}s"
  corpus="$log_dir/corpus"
  mkdir -p "$corpus"
  cp fuzz/corpus/* resources/item.xml "$corpus"/
  if ASAN_OPTIONS=detect_leaks=1 build/fuzz/fuzz/xml_reader_fuzzer "$corpus" \
       -max_total_time="$fuzz_seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$log_dir/" >"$log_dir/fuzz.log" 2>&1; then
    runs=$(grep -aoE 'stat::number_of_executed_units: *[0-9]+' "$log_dir/fuzz.log" | grep -oE '[0-9]+$')
    if [ "${runs:-0}" -gt 0 ]; then
      printf '   fuzz: %s inputs, no finding\n' "$runs"
      passed=$((passed + 1))
    else
      fail_layer "fuzzing executed no input"
    fi
  else
    tail -n 60 "$log_dir/fuzz.log"
    fail_layer "fuzzing found a crash, leak or sanitizer report (artifacts in $log_dir)"
  fi
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
