#!/usr/bin/env bash
# Runs cross-built Windows programs under 64-bit Wine, in a temporary prefix on a virtual
# display of their own, without network.
#
# Usage:
#   wine-run.sh PROGRAM.exe [ARG...]      run one program; its exit code is this script's
#                                         (ctest: CMAKE_CROSSCOMPILING_EMULATOR=<this script>)
#   wine-run.sh --all FOLDER [PATTERN]    run every PATTERN (default test_*.exe) in FOLDER in
#                                         one prefix; report each and a closing count
#   wine-run.sh --session COMMAND [ARG...]
#                                         run COMMAND (e.g. ctest) with one prefix and display
#                                         shared by every program it starts through this script
#
# Environment:
#   NELVORA_WINE_TIMEOUT   seconds one program may run before it is killed (default 600)
#   NELVORA_WINE_QPA       Qt platform plugin under Wine (default windows; minimal shows nothing)
#   NELVORA_WINE_FRESH=1   make the prefix with wineboot instead of copying the cached one
#   NELVORA_WINE_KEEP=1    keep the prefix afterwards and print where it is
#   NELVORA_WINE_NETWORK=1 do not leave the network namespace (for a user who cannot unshare)
#
# Facts this script is built on (Wine 8.0 from Debian 12, 64-bit only):
# - a new prefix takes 20 to 30 s (wineboot -i); a copy of a finished one takes about 1 s,
#   so one is made per Wine version and kept beside the Qt cache;
# - Wine's helper processes (wineserver, services.exe, winedevice.exe, and explorer.exe,
#   which the first window of a prefix starts) keep the output pipe of the process that
#   started them open, which holds ctest or any reader until they end: they are started
#   first with all output to /dev/null;
# - Wine does not hand Unix variables named QT_* to Windows programs; WINEQT_* arrives
#   there as QT_*, so the platform plugin is chosen through WINEQT_QPA_PLATFORM;
# - without a window manager each managed window that closes costs 2 s (Wine waits for a
#   withdrawn state that never comes); the prefix runs windows unmanaged, which xdotool
#   still finds by name;
# - Qt logs through OutputDebugString when the program has no console window, as under
#   Wine, so its warnings are forced to stderr; a Qt program whose platform plugin is
#   missing waits on a message box forever, so that is checked before it starts;
# - killing the wine loader ends the Windows program (one process), so timeout bounds it;
#   an exit code above 255 arrives modulo 256, as for any Unix process.
set -uo pipefail
script=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

say() { echo "wine-run: $*" >&2; }
die() { say "error: $*"; exit 1; }

if [ -x /usr/lib/wine/wine64 ]; then
  # Debian's launcher script looks for a 32-bit Wine first and prints a hint when it is
  # missing; the 64-bit loader itself needs neither.
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
else
  wine=$(command -v wine64 || command -v wine) || die "wine is not installed (scripts/setup.sh windows)"
fi
target_objdump=x86_64-w64-mingw32-objdump
command -v wineserver >/dev/null || die "wineserver is not installed (scripts/setup.sh windows)"

export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko in the prefix, no dialog offering to download them, and no menu entries
# written into the user's desktop.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}

wine_version() { "$wine" --version 2>/dev/null | sed -e 's/[^A-Za-z0-9.]\+/-/g' -e 's/-$//'; }

# The prefix every session copies: made once per Wine version, complete only with its marker.
template_prefix() {
  local cache=${XDG_CACHE_HOME:-$HOME/.cache}/nelvora version dir
  version=$(wine_version)
  dir="$cache/wineprefix-$version"
  mkdir -p "$cache" || die "cannot create $cache"
  (
    flock 8
    [ -f "$dir.complete" ] && exit 0
    rm -rf "$dir" "$dir.tmp"
    say "making a Wine prefix to copy from ($dir; 20 to 30 s, once)"
    mkdir -m 700 "$dir.tmp" || exit 1
    make_prefix "$dir.tmp" || exit 1
    mv "$dir.tmp" "$dir" && touch "$dir.complete"
  ) 8>"$cache/wineprefix.lock" || die "could not make the Wine prefix $dir"
  echo "$dir"
}

make_prefix() {
  local rc=0
  WINEPREFIX=$1 "$wine" wineboot -i </dev/null >/dev/null 2>&1 || rc=1
  WINEPREFIX=$1 "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
    </dev/null >/dev/null 2>&1 || rc=1
  WINEPREFIX=$1 wineserver -k >/dev/null 2>&1
  WINEPREFIX=$1 timeout 60 wineserver -w >/dev/null 2>&1
  [ -f "$1/system.reg" ] && [ -d "$1/drive_c/windows/system32" ] || rc=1
  return $rc
}

session_tmp=""
xvfb_pid=""
session_end() {
  if [ -n "${WINEPREFIX:-}" ] && [ -n "$session_tmp" ]; then
    wineserver -k >/dev/null 2>&1
    timeout 60 wineserver -w >/dev/null 2>&1 || say "wineserver of $WINEPREFIX did not end"
  fi
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
  fi
  if [ -n "$session_tmp" ]; then
    rm -f "$session_tmp/.active"
    if [ "${NELVORA_WINE_KEEP:-0}" = 1 ]; then
      say "prefix kept: $WINEPREFIX"
    else
      rm -rf "$session_tmp"
    fi
  fi
}

# A private prefix and display for this process and its children. Inherited when a caller
# set one up already (the --session mode), so ctest's programs share one prefix.
session_begin() {
  if [ -n "${NELVORA_WINE_SESSION:-}" ] && [ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ]; then
    return
  fi
  session_tmp=$(mktemp -d "${TMPDIR:-/tmp}/nelvora-wine.XXXXXX") || die "no temporary folder"
  trap session_end EXIT
  trap 'exit 143' TERM INT HUP

  # The display: Xvfb picks a free number itself and writes it once it accepts clients.
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$session_tmp/display" \
    >"$session_tmp/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local display
  for _ in $(seq 300); do
    [ -s "$session_tmp/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$session_tmp/xvfb.log" >&2; die "Xvfb did not start"; }
    sleep 0.1
  done
  [ -s "$session_tmp/display" ] || die "Xvfb gave no display within 30 s"
  display=$(head -n 1 "$session_tmp/display")
  export DISPLAY=":$display"

  # ctest ends a test that overran its time with SIGKILL to every process descended from
  # it, which leaves no trap to run and a prefix of 700 MB behind: a watcher that is no
  # descendant (started from a subshell that ends at once) cleans up once this process is
  # gone without having done so itself.
  touch "$session_tmp/.active"
  (setsid bash -c '
    while kill -0 "$1" 2>/dev/null; do sleep 1; done
    [ -e "$2/.active" ] || exit 0
    WINEPREFIX="$2/prefix" wineserver -k
    kill "$3"
    rm -rf "$2"' watcher "$$" "$session_tmp" "$xvfb_pid" </dev/null >/dev/null 2>&1 &)

  export WINEPREFIX="$session_tmp/prefix"
  if [ "${NELVORA_WINE_FRESH:-0}" = 1 ]; then
    mkdir -m 700 "$WINEPREFIX"
    make_prefix "$WINEPREFIX" || die "wineboot could not make $WINEPREFIX"
  else
    local template
    template=$(template_prefix) || exit 1
    cp -a "$template" "$WINEPREFIX" || die "could not copy $template"
  fi
  # Start the prefix and its desktop window with nothing to inherit but /dev/null (see the
  # facts above): "cmd /c exit" starts wineserver and the services, but the desktop process
  # (explorer.exe /desktop) only comes with the first window, which rundll32 makes.
  "$wine" rundll32.exe user32.dll,GetDesktopWindow </dev/null >/dev/null 2>&1 \
    || die "Wine does not start in $WINEPREFIX"
  export NELVORA_WINE_SESSION=$$
}

# Leaves the network (as root, or where unprivileged user namespaces allow it) by running
# this script again inside a new network namespace.
isolate() {
  [ "${NELVORA_WINE_NETWORK:-0}" = 1 ] && return
  [ -n "${NELVORA_WINE_ISOLATED:-}" ] && return
  [ -n "${NELVORA_WINE_SESSION:-}" ] && return
  export NELVORA_WINE_ISOLATED=1
  if unshare -n true 2>/dev/null; then
    exec unshare -n -- bash "$script" "$@"
  fi
  die "cannot leave the network (unshare -n needs root); set NELVORA_WINE_NETWORK=1 to run with it"
}

run_one() {
  local program=$1 limit=${NELVORA_WINE_TIMEOUT:-600} name rc
  shift
  [ -f "$program" ] || { say "no such program: $program"; return 127; }
  # Unix QT_* variables never reach the program; hand them over under Wine's own prefix,
  # with the platform plugin of a Qt for Windows (there is no offscreen plugin).
  while IFS='=' read -r name _; do
    case "$name" in QT_QPA_PLATFORM|'') ;; QT_*) export "WINE$name=${!name}" ;; esac
  done < <(env | grep '^QT_')
  export WINEQT_QPA_PLATFORM=${NELVORA_WINE_QPA:-windows}
  # Without a console window Qt logs through OutputDebugString, which nobody reads here.
  export WINEQT_FORCE_STDERR_LOGGING=${WINEQT_FORCE_STDERR_LOGGING:-1}
  # A Qt program without its platform plugin does not fail: it waits on a message box.
  if [ ! -f "$(dirname "$program")/platforms/q$WINEQT_QPA_PLATFORM.dll" ] \
     && "$target_objdump" -p "$program" 2>/dev/null | grep 'DLL Name: Qt6Gui.dll' >/dev/null; then
    say "$(basename "$program") needs platforms/q$WINEQT_QPA_PLATFORM.dll beside it (scripts/windows-deploy.sh)"
    return 1
  fi
  timeout -k 10 "$limit" "$wine" "$program" "$@"
  rc=$?
  [ $rc -eq 124 ] && say "$(basename "$program") did not end within $limit s and was killed"
  return $rc
}

run_all() {
  local folder=$1 pattern=${2:-test_*.exe} passed=0 failed=0 program rc start names=()
  [ -d "$folder" ] || die "no such folder: $folder"
  shopt -s nullglob
  # shellcheck disable=SC2206 # the pattern is a glob, meant to expand
  local programs=("$folder"/$pattern)
  shopt -u nullglob
  [ ${#programs[@]} -gt 0 ] || die "no programs $pattern in $folder"
  for program in "${programs[@]}"; do
    echo "=== $(basename "$program")"
    start=$(date +%s)
    run_one "$program"
    rc=$?
    if [ $rc -eq 0 ]; then
      passed=$((passed + 1))
      echo "=== PASS $(basename "$program") ($(( $(date +%s) - start )) s)"
    else
      failed=$((failed + 1))
      names+=("$(basename "$program")")
      echo "=== FAIL $(basename "$program") (exit $rc, $(( $(date +%s) - start )) s)"
    fi
  done
  [ $failed -eq 0 ] || echo "failed: ${names[*]}"
  echo "$passed passed, $failed failed"
  [ $failed -eq 0 ]
}

case "${1:-}" in
  ''|-h|--help)
    sed -n '2,/^set -uo/p' "$script" | sed -e '/^set -uo/d' -e 's/^# \{0,1\}//'
    exit 2 ;;
  --all)
    [ $# -ge 2 ] || die "usage: $0 --all FOLDER [PATTERN]"
    isolate "$@"
    session_begin
    shift
    run_all "$@" ;;
  --session)
    [ $# -ge 2 ] || die "usage: $0 --session COMMAND [ARG...]"
    isolate "$@"
    session_begin
    shift
    "$@" ;;
  *)
    isolate "$@"
    session_begin
    run_one "$@" ;;
esac
