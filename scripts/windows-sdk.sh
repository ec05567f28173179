#!/usr/bin/env bash
# Provides Qt 6.4.2 and googletest for 64-bit Windows (MinGW-w64) in a cache folder outside
# the repository, and reuses it when it is there already:
#   $NELVORA_QT_MINGW/qt6-mingw    Qt Core, Gui, Widgets, Test, the qwindows platform plugin
#   $NELVORA_QT_MINGW/googletest   googletest, static, built with the same toolchain file
# Default cache: ${XDG_CACHE_HOME:-$HOME/.cache}/nelvora/qt6.4.2-mingw-w64.
#
# Qt comes from a prebuilt seed tarball where one is found (NELVORA_QT_SEED, or
# shared/toolchains/ beside the repository); otherwise it is built from Debian's own
# qt6-base source package, which takes half an hour on two idle cores (measured: 110 min
# wall, 65 min CPU, under nice -n 19 on two cores that others kept busy at a load of 5 to 11).
#
# Usage: scripts/windows-sdk.sh [--from-source] [--print]
#   --from-source  ignore the seed and build Qt from source (when the cache lacks it)
#   --print        print the cache folder only, after making sure it is complete
set -Eeuo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
toolchain="$top/cmake/mingw-w64-x86_64.cmake"
qt_patch="$top/cmake/qwindows-no-direct2d.patch"

from_source=0
print_only=0
for arg in "$@"; do
  case "$arg" in
    --from-source) from_source=1 ;;
    --print) print_only=1 ;;
    *) echo "usage: $0 [--from-source] [--print]" >&2; exit 2 ;;
  esac
done

cache=${NELVORA_QT_MINGW:-${XDG_CACHE_HOME:-$HOME/.cache}/nelvora/qt6.4.2-mingw-w64}
qt_version=6.4.2
seed_name=qt6.4.2-mingw-w64-x86_64.tar.xz
seed_sha256=cc8978e4d32b9ae11038cb22de72afeb36d1f8004fcf56c59aa8571f5a3b7cad
# The first line of a completion marker; a change of layout or recipe changes it, so an
# older cache is rebuilt rather than half trusted.
qt_stamp="qt6-mingw $qt_version layout 1"
gtest_stamp="googletest mingw layout 1"
jobs=${NELVORA_JOBS:-$(nproc)}

say() { echo "windows-sdk: $*"; }
die() { echo "windows-sdk: error: $*" >&2; exit 1; }
trap 'echo "windows-sdk: error: command failed (line $LINENO): $BASH_COMMAND" >&2' ERR

# Completion markers sit beside the folder they vouch for and are written last (through a
# rename), so a half-finished unpack, build or install never passes for a finished one.
complete() { [ -f "$cache/$1.complete" ] && [ "$(head -n 1 "$cache/$1.complete")" = "$2" ]; }
mark_complete() {
  printf '%s\n%s\n' "$2" "$3" >"$cache/.$1.complete.tmp"
  mv -f "$cache/.$1.complete.tmp" "$cache/$1.complete"
}
forget() { rm -f "$cache/$1.complete"; rm -rf "${cache:?}/$1"; }

check_qt_prefix() {
  local prefix=$1 f
  for f in lib/cmake/Qt6/Qt6Config.cmake lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake \
           lib/cmake/Qt6Test/Qt6TestConfig.cmake \
           bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Test.dll \
           plugins/platforms/qwindows.dll plugins/imageformats/qico.dll; do
    [ -s "$prefix/$f" ] || { echo "windows-sdk: error: $prefix/$f is missing" >&2; return 1; }
  done
}

find_seed() {
  local candidate common
  if [ -n "${NELVORA_QT_SEED:-}" ]; then echo "$NELVORA_QT_SEED"; return; fi
  candidate="$top/../shared/toolchains/$seed_name"
  if [ -f "$candidate" ]; then echo "$candidate"; return; fi
  # A git worktree lies elsewhere than the main checkout; shared/ sits beside the latter.
  common=$(git -C "$top" rev-parse --path-format=absolute --git-common-dir 2>/dev/null || true)
  if [ -n "$common" ]; then
    candidate="$(dirname "$(dirname "$common")")/shared/toolchains/$seed_name"
    if [ -f "$candidate" ]; then echo "$candidate"; return; fi
  fi
}

qt_from_seed() {
  local seed=$1 staging
  say "unpacking Qt $qt_version for MinGW-w64 from $seed"
  echo "$seed_sha256  $seed" | sha256sum --check --status \
    || die "$seed does not have the expected sha256 $seed_sha256"
  staging=$(mktemp -d "$cache/.unpack.XXXXXX")
  tar -xJf "$seed" -C "$staging" || { rm -rf "$staging"; die "could not unpack $seed"; }
  check_qt_prefix "$staging/qt6-mingw" || { rm -rf "$staging"; die "$seed unpacked incompletely"; }
  mv "$staging/qt6-mingw" "$cache/qt6-mingw"
  rm -rf "$staging"
  mark_complete qt6-mingw "$qt_stamp" "from $seed_name sha256 $seed_sha256"
}

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; return; fi
  command -v sudo >/dev/null || die "needs root or sudo for: $*"
  sudo "$@"
}

# apt-get source needs a deb-src entry for the archive the machine already installs from.
ensure_deb_src() {
  local version=$1 list=/etc/apt/sources.list.d/nelvora-deb-src.sources
  source_known() { apt-cache showsrc qt6-base 2>/dev/null | grep -x "Version: $version" >/dev/null; }
  if source_known; then return; fi
  if ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    say "adding deb-src entries for the machine's own archive ($list)"
    local tmp
    tmp=$(mktemp)
    # deb822 stanzas: the same archives, suites and keys, for sources.
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -f "$f" ] && [ "$f" != "$list" ] || continue
      awk 'function flush(  i) {
             if (deb && !off) { for (i = 1; i <= n; i++) print (line[i] ~ /^Types:/ ? "Types: deb-src" : line[i]); print "" }
             n = 0; deb = 0; off = 0 }
           /^[ \t]*$/ { flush(); next }
           { line[++n] = $0 }
           $1 == "Types:" { for (i = 2; i <= NF; i++) if ($i == "deb") deb = 1 }
           $1 == "Enabled:" && $2 == "no" { off = 1 }
           END { flush() }' "$f" >>"$tmp"
    done
    # One-line entries in sources.list, written as deb822 too.
    if [ -f /etc/apt/sources.list ]; then
      sed -n 's/^deb \(\[[^]]*\] \)\?\([^ ]*\) \([^ ]*\) \(.*\)$/Types: deb-src\nURIs: \2\nSuites: \3\nComponents: \4\n/p' \
        /etc/apt/sources.list >>"$tmp"
    fi
    [ -s "$tmp" ] || { rm -f "$tmp"; die "found no deb entry to derive a deb-src entry from"; }
    as_root install -m 0644 "$tmp" "$list"
    rm -f "$tmp"
  fi
  say "apt-get update (for the source index)"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq \
    || die "apt-get update failed"
  source_known || die "the archive offers no source for qt6-base $version"
}

qt_from_source() {
  local version work src prefix="$cache/qt6-mingw"
  # The host tools (moc, rcc, uic) of Debian's Qt must be the very version cross-built.
  version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools 2>/dev/null) \
    || die "qt6-base-dev-tools is not installed (scripts/setup.sh windows)"
  case "$version" in "$qt_version"+*) ;; *) die "qt6-base-dev-tools is $version, not $qt_version";; esac
  say "building Qt $qt_version for MinGW-w64 from Debian's qt6-base $version (30 minutes on 2 idle cores, 2 hours on busy ones)"
  ensure_deb_src "$version"

  work="$cache/.build-qt"
  rm -rf "$work"
  mkdir -p "$work"
  # The download is checked against the archive's signed index and unpacked with Debian's
  # own patches (security fixes among them), as the seed was built; then one change of ours.
  (cd "$work" && apt-get source -qq "qt6-base=$version" >/dev/null) \
    || die "apt-get source qt6-base=$version failed"
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
  [ -n "$src" ] && [ -f "$src/CMakeLists.txt" ] || die "apt-get source unpacked no qt6-base tree"
  mv "$src" "$work/qtbase-src"
  patch -p1 --quiet -d "$work/qtbase-src" <"$qt_patch" || die "the patch $qt_patch does not apply"

  # Each feature switch below was needed once (see the commit that brought this script):
  # opengl needs all four switches off, or the qwindows plugin does not compile; Debian's
  # +dfsg source has no wintab, hence no tablet events; with direct2d off the DirectWrite
  # font database is left out by the patch above.
  cmake -G Ninja -S "$work/qtbase-src" -B "$work/build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_pkg_config=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF \
    -DINPUT_opengl=no -DFEATURE_opengl=OFF -DFEATURE_opengl_dynamic=OFF -DFEATURE_dynamicgl=OFF \
    -DFEATURE_vulkan=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
    -DFEATURE_androiddeployqt=OFF -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF \
    -DFEATURE_freetype=OFF -DFEATURE_jpeg=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF \
    -DFEATURE_png=ON -DFEATURE_testlib=ON -DFEATURE_widgets=ON >"$work/configure.log" 2>&1 \
    || { tail -n 40 "$work/configure.log" >&2; die "configuring Qt failed (log: $work/configure.log)"; }
  cmake --build "$work/build" -j "$jobs" || die "building Qt failed (build tree kept: $work/build)"
  cmake --install "$work/build" >/dev/null || die "installing Qt into $prefix failed"
  check_qt_prefix "$prefix" || die "the Qt build in $prefix is incomplete"
  mark_complete qt6-mingw "$qt_stamp" "from Debian source qt6-base $version"
  rm -rf "$work"
}

gtest_build() {
  local work="$cache/.build-googletest" prefix="$cache/googletest" version
  [ -f /usr/src/googletest/CMakeLists.txt ] \
    || die "/usr/src/googletest is missing (package googletest; scripts/setup.sh windows)"
  version=$(dpkg-query -W -f='${Version}' googletest 2>/dev/null || echo unknown)
  say "cross-building googletest $version"
  rm -rf "$work"
  cmake -G Ninja -S /usr/src/googletest -B "$work" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    >"$work.log" 2>&1 || { tail -n 40 "$work.log" >&2; die "configuring googletest failed"; }
  cmake --build "$work" -j "$jobs" >>"$work.log" 2>&1 \
    || { tail -n 40 "$work.log" >&2; die "building googletest failed"; }
  cmake --install "$work" >>"$work.log" 2>&1 || die "installing googletest failed"
  [ -s "$prefix/lib/libgtest.a" ] && [ -s "$prefix/lib/cmake/GTest/GTestConfig.cmake" ] \
    || die "googletest in $prefix is incomplete"
  mark_complete googletest "$gtest_stamp" "from Debian googletest $version"
  rm -rf "$work" "$work.log"
}

# With --print, everything but the folder's name goes to stderr.
if [ $print_only -eq 1 ]; then exec 3>&1 1>&2; fi

mkdir -p "$cache" || die "cannot create the cache folder $cache"
# One filler at a time: a second caller waits, then finds the cache complete.
exec 9>"$cache/.lock"
flock 9
# Whatever a killed run left half unpacked; under the lock nobody is using it.
rm -rf "$cache"/.unpack.*
if [ -n "${NELVORA_QT_SEED:-}" ] && [ ! -f "$NELVORA_QT_SEED" ]; then
  die "NELVORA_QT_SEED names no file: $NELVORA_QT_SEED"
fi

if complete qt6-mingw "$qt_stamp" && check_qt_prefix "$cache/qt6-mingw" 2>/dev/null; then
  say "Qt for MinGW-w64 ready in $cache/qt6-mingw ($(sed -n 2p "$cache/qt6-mingw.complete"))"
else
  forget qt6-mingw
  seed=""
  [ $from_source -eq 1 ] || seed=$(find_seed)
  if [ -n "$seed" ]; then
    started=$SECONDS
    qt_from_seed "$seed"
  else
    # The compilers and host tools first: a fresh machine has none of them.
    "$here/setup.sh" windows
    started=$SECONDS
    qt_from_source
  fi
  say "Qt for MinGW-w64 ready in $cache/qt6-mingw after $((SECONDS - started)) s"
fi

if complete googletest "$gtest_stamp" && [ -s "$cache/googletest/lib/libgtest.a" ]; then
  say "googletest for MinGW-w64 ready in $cache/googletest"
else
  forget googletest
  "$here/setup.sh" windows
  started=$SECONDS
  gtest_build
  say "googletest for MinGW-w64 ready in $cache/googletest after $((SECONDS - started)) s"
fi

if [ $print_only -eq 1 ]; then echo "$cache" >&3; fi
