# Shared by the end-to-end scenarios: a private display with a tray host, a private home,
# the resident program under faked time, and helpers to look at all of them.
# Every process started here is recorded and ended by its id when the scenario ends.

set -u
E2E_PIDS=()
E2E_TMP=$(mktemp -d /tmp/nelvora-e2e.XXXXXX)

# An X client can block for good when a window it asks about goes away under it (seen
# with xdotool search while the tray host died); every call here is bounded, so a waiting
# loop retries instead of hanging the scenario. A `sh -c` does not see these wrappers.
xdotool() { timeout 10 xdotool "$@"; }
xwininfo() { timeout 10 xwininfo "$@"; }
xclip() { timeout 10 xclip "$@"; }

fail() {
  echo "FAIL: $*" >&2
  local log
  for log in xvfb trayer orsivel; do
    [ -s "$E2E_TMP/$log.log" ] && { echo "--- $log output:" >&2; tail -n 5 "$E2E_TMP/$log.log" >&2; }
  done
  if [ -f "$E2E_TMP/velmaro.log" ]; then
    echo "--- program output:" >&2; tail -n 20 "$E2E_TMP/velmaro.log" >&2
  fi
  if [ -n "${REMINDERS:-}" ]; then
    local f
    for f in "$REMINDERS"/*.ini; do
      [ -f "$f" ] && { echo "--- $(basename "$f"): $(tr '\n' ' ' < "$f")" >&2; }
    done
  fi
  [ -n "${VELMARO_PID:-}" ] && { echo "--- program state: $(grep -E '^State' /proc/$VELMARO_PID/status 2>/dev/null)" >&2; }
  exit 1
}
note() { echo "-- $*"; }

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  sleep 0.2
  for pid in "${E2E_PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$E2E_TMP"
}
trap e2e_cleanup EXIT

# wait_until SECONDS COMMAND...: polls every 0.1 s. The words are expanded once, so a
# condition that must be looked at again each time goes through eval '...'.
wait_until() {
  local limit=$(( $1 * 10 )) i; shift
  for (( i = 0; i < limit; i++ )); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

# window_closed ID: the window is no longer shown.
window_closed() { ! xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1"; }

# key_until_closed ID KEY: presses KEY in that window until it closes. A key sent before
# the window has the focus is lost, so only this window is ever keyed.
key_until_closed() {
  local try
  for try in 1 2 3 4 5; do
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && xdotool key "$2"
    wait_until 1 window_closed "$1" && return 0
  done
  return 1
}

setup_home() {
  export HOME=$E2E_TMP/home XDG_DATA_HOME=$E2E_TMP/home/data XDG_CONFIG_HOME=$E2E_TMP/home/config
  export XDG_RUNTIME_DIR=$E2E_TMP/run XDG_CACHE_HOME=$E2E_TMP/home/cache
  mkdir -p "$XDG_DATA_HOME/Velmaro" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$XDG_CACHE_HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER QT_QPA_PLATFORM
  export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 TZ=UTC
  REMINDERS=$XDG_DATA_HOME/Velmaro
}

# A display of our own (Xvfb picks a free number) and a tray host on it; E2E_SCREEN
# gives its size.
start_display() {
  local dpy=$E2E_TMP/display
  Xvfb -displayfd 5 -screen 0 "${E2E_SCREEN:-800x600}x24" -nolisten tcp 5>"$dpy" >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_PIDS+=($!)
  wait_until 10 test -s "$dpy" || fail "Xvfb did not start"
  export DISPLAY=:$(cat "$dpy")
  start_trayer || fail "trayer did not start"
}

# Starts the tray host; a host that dies while starting gets a second chance.
start_trayer() {
  local try
  for try in 1 2 3; do
    trayer --edge top --align right --widthtype request --height 32 --SetDockType false \
           --transparent false --expand false >>"$E2E_TMP/trayer.log" 2>&1 &
    TRAYER_PID=$!
    E2E_PIDS+=($TRAYER_PID)
    wait_until 10 tray_present && return 0
    kill "$TRAYER_PID" 2>/dev/null
    wait "$TRAYER_PID" 2>/dev/null
  done
  return 1
}

tray_present() { xdotool search --classname trayer >/dev/null 2>&1; }

# The resident program copied into a folder of its own, so its editor can be faked.
# install_program [with-editor]
install_program() {
  PROGRAM_DIR=$E2E_TMP/program
  mkdir -p "$PROGRAM_DIR"
  cp "$VELMARO" "$PROGRAM_DIR/Velmaro"
  if [ "${1:-}" = with-editor ]; then
    printf '#!/bin/sh\necho started >> "%s"\n' "$E2E_TMP/editor.mark" > "$PROGRAM_DIR/orsivel"
    chmod +x "$PROGRAM_DIR/orsivel"
  fi
}

# start_velmaro [FAKETIME-SPEC]
start_velmaro() {
  [ -n "${PROGRAM_DIR:-}" ] || install_program
  if [ -n "${1:-}" ]; then
    faketime -f "$1" "$PROGRAM_DIR/Velmaro" >"$E2E_TMP/velmaro.log" 2>&1 &
  else
    "$PROGRAM_DIR/Velmaro" >"$E2E_TMP/velmaro.log" 2>&1 &
  fi
  VELMARO_PID=$!
  E2E_PIDS+=($VELMARO_PID)
}

velmaro_running() { kill -0 "$VELMARO_PID" 2>/dev/null && [ ! -e "$E2E_TMP/velmaro.exited" ]; }

# The tray icons: the program's windows docked inside trayer's panel, one id a line.
icon_windows() {
  local w
  for w in $(xdotool search --classname Velmaro 2>/dev/null); do
    [ "$(xdotool getwindowname "$w" 2>/dev/null)" = Nelvora ] || continue
    xwininfo -id "$w" 2>/dev/null | grep -q "Map State: IsViewable" || continue
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    [ "${WIDTH:-0}" -ge 8 ] || continue
    echo "$w"
  done
}
icon_window() { icon_windows | head -1 | grep .; }
icon_shown() { icon_window >/dev/null; }
icon_gone() { ! icon_shown; }

# Visible windows of the program other than the icon, one id a line.
program_windows() { xdotool search --onlyvisible --classname Velmaro 2>/dev/null | sort; }

# click_icon BUTTON: clicks the middle of the icon.
click_icon() {
  local w; w=$(icon_window) || fail "no tray icon to click"
  eval "$(xdotool getwindowgeometry --shell "$w")"
  xdotool mousemove $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 2 )) click "$1"
}

# new_window BEFORE: prints the one visible program window not in BEFORE.
new_window() {
  comm -13 <(echo "$1") <(program_windows) | head -1
}

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1; }

# write_reminder NAME: the INI text comes on standard input.
write_reminder() { cat > "$REMINDERS/$1.ini"; }

# weekday_reminder NAME DAYKEY HR MIN OPEN-PATH [STAMP-MINUTE]: a reminder on one weekday
# that opens a file, last fired on Tuesday 9 June 2026 at 18:STAMP-MINUTE (30 unless given).
weekday_reminder() {
  write_reminder "$1" <<EOF2
[LastProc]
YR=2026
MO=6
DY=9
HR=18
MN=${6:-30}
AM=1
PM=0
[Date]
Ck=0
[Days]
Ck=1
$(for d in Mon Tue Wed Thu Fri Sat Sun; do [ "$d" = "$2" ] && echo "$d=1" || echo "$d=0"; done)
Year=2005
Month=1
Day=1
Hr=$3
Min=$4
[Monthly]
Ck=0
[SayTime]
Ck=0
[SayDay]
Ck=0
[PlayMP3]
Ck=0
[Display]
Ck=0
[SayMsg]
Ck=0
[Open]
Ck=1
[Reminder]
Msg=
Open=$5
MP3=
EOF2
}

# ini_value FILE SECTION KEY
ini_value() {
  awk -F= -v s="[$2]" -v k="$3" '
    /^\[/ { insec = (tolower($0) == tolower(s)) ; next }
    insec && tolower($1) == tolower(k) { sub(/^[^=]*=/, ""); sub(/\r$/, ""); print; exit }' "$1"
}

expect_eq() { [ "$1" = "$2" ] || fail "$3: expected '$2', got '$1'"; }
