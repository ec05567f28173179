# shellcheck shell=bash
# Functions for scripts that drive the Windows programs, their installer and uninstaller
# under Wine, inside a session of scripts/wine-run.sh (which sets WINEPREFIX and DISPLAY):
#   scripts/wine-run.sh --session bash SCRIPT   where SCRIPT sources this file.
# Every function that waits is bounded, and waits for a state, never for a time.
#
#   wl_wine EXE [ARG...]          run a Windows program (bounded by WL_TIMEOUT s, default 120)
#   wl_start EXE [ARG...]         start a Windows program in the background, output to a log
#   wl_unix_path WINDOWS-PATH     the Unix path of a Windows path in the prefix
#   wl_windows_path UNIX-PATH     the Windows path of a Unix path (Z:\... outside the prefix)
#   wl_windows_folder VARIABLE    the value of a Windows folder variable (APPDATA, ...)
#   wl_folder VARIABLE            the Unix path of that folder
#   wl_reg_value KEY NAME         print the data of a registry value; fails when it is absent
#   wl_reg_has KEY [NAME]         succeed when the key (or its value NAME) exists
#   wl_reg_set_sz KEY NAME DATA   write a string value
#   wl_probe ARG...               run packaging/windows/winprobe.c (built on first use)
#   wl_probe_exe                  the probe's Unix path (to copy it, or start it apart)
#   wl_wait SECONDS WHAT COMMAND [ARG...]
#                                 poll COMMAND until it succeeds; fail saying WHAT after SECONDS
#   wl_install_silent INSTALLER [ARG...]
#                                 run an installer with /S; its exit code is the result
#   wl_uninstall_silent [KEY]     run the QuietUninstallString of an uninstall key (default
#                                 Nelvora) and wait until the uninstaller has ended, however
#                                 it went; the caller then checks the state it left
#   wl_uninstall_key [NAME]       the uninstall key of the current user for NAME (Nelvora)

wl_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wl_top=$(cd "$wl_here/.." && pwd)

if [ -x /usr/lib/wine/wine64 ]; then
  # As in wine-run.sh: Debian's launcher script wants a 32-bit Wine first.
  WL_WINE=/usr/lib/wine/wine64
  export WINELOADER=$WL_WINE
else
  WL_WINE=$(command -v wine64 || command -v wine) || { echo "wine-lib: wine is not installed" >&2; return 1; }
fi
export WINEDEBUG=${WINEDEBUG:--all}
[ -n "${WINEPREFIX:-}" ] && [ -n "${DISPLAY:-}" ] \
  || { echo "wine-lib: no Wine session; run under scripts/wine-run.sh --session" >&2; return 1; }

# Logs and the probe go to a folder of their own, removed with the session's prefix.
WL_DIR=${WL_DIR:-$(dirname "$WINEPREFIX")/wine-lib}
mkdir -p "$WL_DIR"

wl_say() { echo "wine-lib: $*" >&2; }

wl_wine() {
  timeout -k 5 "${WL_TIMEOUT:-120}" "$WL_WINE" "$@" </dev/null
}

# Output goes to a file: a background Windows program never holds a caller's pipe.
wl_start() {
  local log
  log="$WL_DIR/$(basename "${1//\\//}").$$.$RANDOM.log"
  "$WL_WINE" "$@" </dev/null >"$log" 2>&1 &
  echo "$log"
}

wl_unix_path() {
  wl_wine winepath.exe -u "$1" 2>/dev/null | tr -d '\r'
}

wl_windows_path() {
  wl_wine winepath.exe -w "$1" 2>/dev/null | tr -d '\r'
}

wl_windows_folder() {
  local windows
  windows=$(wl_wine cmd.exe /c echo "%$1%" 2>/dev/null | tr -d '\r')
  [ -n "$windows" ] && [ "$windows" != "%$1%" ] || { wl_say "no folder %$1%"; return 1; }
  echo "$windows"
}

wl_folder() {
  local windows
  windows=$(wl_windows_folder "$1") && wl_unix_path "$windows"
}

wl_uninstall_key() {
  echo "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\${1:-Nelvora}"
}

# reg query prints "    NAME    REG_TYPE    DATA"; the data is everything after the type.
wl_reg_value() {
  local out line
  out=$(wl_wine reg.exe query "$1" /v "$2" 2>/dev/null | tr -d '\r') || return 1
  line=$(printf '%s\n' "$out" | grep -i -m 1 "^ *$2 \+REG_") || return 1
  printf '%s\n' "$line" | sed 's/^ *[^ ].*\? \+REG_[A-Z_]\+ \+//; s/^ *[^ ].*\? \+REG_[A-Z_]\+$//'
}

wl_reg_has() {
  if [ $# -ge 2 ]; then
    wl_wine reg.exe query "$1" /v "$2" >/dev/null 2>&1
  else
    wl_wine reg.exe query "$1" >/dev/null 2>&1
  fi
}

wl_reg_set_sz() {
  wl_wine reg.exe add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1
}

wl_probe_exe() {
  local exe="$WL_DIR/winprobe.exe"
  if [ ! -f "$exe" ]; then
    x86_64-w64-mingw32-gcc -std=c11 -O2 -Wall -Wextra -o "$exe.tmp" \
      "$wl_top/packaging/windows/winprobe.c" -lversion -lshell32 -lole32 -luuid \
      || { wl_say "could not build the probe"; return 2; }
    mv "$exe.tmp" "$exe"
  fi
  echo "$exe"
}

wl_probe() {
  local exe
  exe=$(wl_probe_exe) || return 2
  wl_wine "$exe" "$@"
}

wl_wait() {
  local seconds=$1 what=$2 deadline
  shift 2
  deadline=$((SECONDS + seconds))
  until "$@"; do
    if [ $SECONDS -ge $deadline ]; then
      wl_say "gave up after $seconds s waiting for: $what"
      return 1
    fi
    sleep 0.2
  done
}

wl_install_silent() {
  local installer=$1
  shift
  WL_TIMEOUT=${WL_TIMEOUT:-300} wl_wine "$installer" /S "$@" >"$WL_DIR/install.log" 2>&1
}

# NSIS's uninstaller copies itself into %TEMP%\~nsu*.tmp, starts the copy and returns at
# once; the copy does the work. Its end is the state to wait for: first the copy appears
# (or the work is done before the probe looks), then no copy runs any more.
wl_uninstaller_running() {
  local name
  for name in Un_A.exe Un.exe Au_.exe; do
    wl_probe process "$name" && return 0
  done
  return 1
}

wl_uninstaller_ended() { ! wl_uninstaller_running; }

wl_uninstall_silent() {
  local key command exe rc
  key=$(wl_uninstall_key "${1:-Nelvora}")
  command=$(wl_reg_value "$key" QuietUninstallString) || { wl_say "no QuietUninstallString in $key"; return 1; }
  # '"C:\...\uninstall.exe" /S': the quoted program and its arguments.
  exe=$(printf '%s\n' "$command" | sed -n 's/^"\([^"]*\)".*/\1/p')
  [ -n "$exe" ] || { wl_say "QuietUninstallString is not quoted: $command"; return 1; }
  local args
  read -r -a args <<<"${command#\""$exe"\"}"
  wl_wine "$exe" "${args[@]}" >"$WL_DIR/uninstall.log" 2>&1
  rc=$?
  [ $rc -eq 0 ] || { wl_say "the uninstaller's first stage ended with $rc"; return $rc; }
  wl_wait "${WL_UNINSTALL_TIMEOUT:-120}" "the uninstaller to end" \
    wl_uninstaller_ended
}
