#!/usr/bin/env bash
# Cross-builds the Windows programs with MinGW-w64 (Release) into build-windows/, puts
# beside orsivel.exe and Velmaro.exe what they need to start (the Qt DLLs, the platform,
# style and image plugins, the MinGW runtime DLLs and the two help pages), stripped, and
# builds the installer build-windows/nelvora-<version>-setup.exe from them (NSIS).
#
# Usage: scripts/windows.sh [--test | --ctest [CTEST-ARG...] | --check-installer]
#   --test   then run every cross-built test program (test_*.exe) under Wine, in one
#            temporary prefix on a virtual display without network (scripts/wine-run.sh)
#   --ctest  then run ctest in the build folder the same way: the tests reach Wine
#            through CMAKE_CROSSCOMPILING_EMULATOR, all in that one prefix
#   --check-installer
#            then install, upgrade and uninstall silently under Wine and check each state
#            (packaging/windows/check-installer.sh)
# Environment: NELVORA_WINDOWS_BUILD (build folder), NELVORA_QT_MINGW (the Qt cache).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
build=${NELVORA_WINDOWS_BUILD:-$top/build-windows}
toolchain="$top/cmake/mingw-w64-x86_64.cmake"

mode=build
ctest_args=()
case "${1:-}" in
  '') ;;
  --test) mode="test" ;;
  --ctest) mode="ctest"; shift; ctest_args=("$@") ;;
  --check-installer) mode="check-installer" ;;
  *) echo "usage: $0 [--test | --ctest [CTEST-ARG...] | --check-installer]" >&2; exit 2 ;;
esac

die() { echo "windows: error: $*" >&2; exit 1; }

"$here/setup.sh" windows
cache=$("$here/windows-sdk.sh" --print) || die "no Qt for MinGW-w64 (scripts/windows-sdk.sh)"
qt="$cache/qt6-mingw"

# The host's hardening flags from dpkg-buildflags do not fit the Windows target: the PE
# linker knows no -z relro / -z now and fails every link. The end-to-end tests drive
# Linux desktops.
cmake -G Ninja -S "$top" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
  -DQT_MINGW_PREFIX="$qt" -DGTEST_MINGW_PREFIX="$cache/googletest" -DCMAKE_PREFIX_PATH=/ \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$top/scripts/wine-run.sh" \
  -DNELVORA_DPKG_BUILDFLAGS=OFF -DNELVORA_E2E=OFF \
  || die "configuring the Windows build in $build failed"
cmake --build "$build" -j "$(nproc)" || die "building the Windows programs failed"

bin="$build/bin"
for program in orsivel Velmaro; do
  [ -f "$bin/$program.exe" ] || die "$bin/$program.exe was not built"
done

"$here/windows-deploy.sh" "$bin" "$qt" || die "deploying beside the programs in $bin failed"
echo "windows: orsivel.exe and Velmaro.exe ready in $bin"

# The test programs in $bin and the DLLs only they need stay out of the installer: it is
# built from the two programs and what they import (packaging/windows/build-installer.sh).
"$top/packaging/windows/build-installer.sh" "$bin" "$build" "$qt" \
  || die "building the installer failed"

case "$mode" in
  test) exec "$here/wine-run.sh" --all "$bin" 'test_*.exe' ;;
  ctest) exec "$here/wine-run.sh" --session ctest --test-dir "$build" --output-on-failure "${ctest_args[@]}" ;;
  check-installer) exec "$top/packaging/windows/check-installer.sh" ;;
esac
