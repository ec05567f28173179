#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal build with the
# end-to-end tests, a minute of fuzzing of the INI layer, and once more under the address
# and undefined-behaviour sanitizers, whose test summary closes the run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh
jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$jobs"
# The end-to-end tests drive real windows under a virtual display; a run that meets a
# passing hiccup of the display gets one more try (a real fault fails both), and the
# scenario's watchdog prints where it stood.
(cd build && ctest --output-on-failure -j "$jobs" --repeat until-pass:2)

# The private-profile layer under libFuzzer for one minute, built apart with clang.
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNELVORA_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build build-fuzz -j "$jobs" --target fuzz_profile
tests/fuzz/run.sh build-fuzz 60

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DNELVORA_SANITIZE=ON -DNELVORA_E2E=OFF >/dev/null
cmake --build build-asan -j "$jobs"
(cd build-asan && UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
   ctest --output-on-failure -j "$jobs")
