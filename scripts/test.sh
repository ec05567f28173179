#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal build with the
# end-to-end tests, a minute of fuzzing of the INI layer, once more under the address and
# undefined-behaviour sanitizers, and last cross-built for Windows and run under Wine (the
# unit and window tests, and the installed programs end to end), whose summary closes the
# run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh
jobs=$(nproc)

# Every test once, in one run whose summary counts them all. Only the scenarios that drive
# the real programs on a virtual display (labels e2e and a11y) may meet a passing hiccup
# of that display: those alone get one more try (a real fault fails both), and a
# scenario's watchdog prints where it stood. Any other test must pass the first time, so
# a race it catches now and then is never hidden.
# Arguments: what runs ctest (nothing on Linux; the Wine session for the Windows build).
retry_failed_scenarios() {
  local failed scenarios name
  failed=$(cut -d: -f2 Testing/Temporary/LastTestsFailed.log 2>/dev/null) || true
  [ -n "$failed" ] || return 1
  scenarios=$(ctest -N -L 'e2e|a11y' | sed -n 's/^ *Test *#[0-9]*: //p')
  for name in $failed; do
    grep -qxF "$name" <<<"$scenarios" || { echo "not retried: $name failed" >&2; return 1; }
  done
  echo "one more try for: $failed"
  "$@" ctest --output-on-failure -R "^($(echo $failed | tr ' ' '|'))\$"
}

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
(cd build && { ctest --output-on-failure -j "$jobs" || retry_failed_scenarios; })

# The private-profile layer under libFuzzer for one minute, built apart with clang.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNELVORA_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_profile
tests/fuzz/run.sh build-fuzz 60

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DNELVORA_SANITIZE=ON -DNELVORA_E2E=OFF >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
   ctest --output-on-failure -j "$jobs")

# Windows: Qt for MinGW-w64 comes from a cache outside the repository (scripts/windows-sdk.sh
# builds it once); the same retry rule holds for the scenarios.
scripts/windows.sh
wine_session=("$top/scripts/wine-run.sh" --session)
(cd build-windows && { "${wine_session[@]}" ctest --output-on-failure -j "$jobs" \
                       || retry_failed_scenarios "${wine_session[@]}"; })

count() { (cd "$1" && ctest -N | sed -n 's/^Total Tests: //p'); }
echo "test: every test passed: $(count build) on Linux, $(count build-asan) under the sanitizers," \
     "$(count build-windows) Windows ones under Wine, and a minute of fuzzing"
