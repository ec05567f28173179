#!/usr/bin/env bash
# Starts the installed editor through its command on the path, under a virtual display
# and with temporary home folders, and checks that it starts the installed scheduler and
# registers that scheduler (not the command's link, not the build tree) for log-in.
. "$(dirname "$0")/common.sh"

# The scheduler's presence marker lives in the run's own runtime folder; a private network
# namespace also keeps the desktop's session services of the user out of the run.
if [ -z "${NELVORA_IN_NETNS:-}" ]; then
  for how in "-n" "-rn"; do
    if unshare $how true 2>/dev/null; then
      NELVORA_IN_NETNS=1 exec unshare $how bash "$0" "$@"
    fi
  done
  echo "note: no private network namespace; a running scheduler of this user would be found"
fi

need_tools Xvfb desktop-file-validate
programs_built || skip "orsivel and Velmaro are not built yet"
programs_configured || fail "orsivel and Velmaro are built but were not configured for install: run cmake again"
[ "$failures" -eq 0 ] || finish

tmp=$(mktemp -d /tmp/nelvora-start.XXXXXX)
prefix=$tmp/prefix
xvfb_pid=""
editor_pid=""

# Every process this run caused, found by a variable only they carry: the editor, the
# scheduler it starts, and whatever those spawn (speech or bus helpers).
run_mark="NELVORA_INSTALL_RUN=$tmp"
our_pids() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    [ "$pid" = "$$" ] && continue
    if grep -qzxF "$run_mark" "$environ" 2>/dev/null; then
      echo "$pid"
    fi
  done
}
cleanup() {
  local pid
  for pid in $(our_pids); do kill "$pid" 2>/dev/null; done
  sleep 0.5
  for pid in $(our_pids); do kill -9 "$pid" 2>/dev/null; done
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

install_into "$prefix"
prefix=$(realpath "$prefix")
resident=$prefix/lib/nelvora/Velmaro

# --- a display of our own: the first free number from 73 on ---
display=""
mkfifo "$tmp/ready"
for number in $(seq 73 99); do
  [ -e "/tmp/.X$number-lock" ] && continue
  # -displayfd writes the number once the server accepts clients; EOF when it gave up.
  Xvfb ":$number" -nolisten tcp -screen 0 1024x768x24 -displayfd 3 3>"$tmp/ready" \
    >"$tmp/xvfb.log" 2>&1 &
  xvfb_pid=$!
  if read -r -t 10 ready <"$tmp/ready" && [ "$ready" = "$number" ]; then
    display=":$number"
    break
  fi
  kill "$xvfb_pid" 2>/dev/null
  wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=""
done
[ -n "$display" ] || { cat "$tmp/xvfb.log" >&2; echo "FAIL: no virtual display could be started" >&2; exit 1; }

# --- temporary user folders; no session bus or speech server of the real user ---
home=$tmp/home
mkdir -p "$home" "$tmp/data" "$tmp/config" "$tmp/cache" "$tmp/runtime"
chmod 700 "$tmp/runtime"
autostart=$tmp/config/autostart/Nelvora.desktop

env -i PATH="$prefix/bin:/usr/bin:/bin" HOME="$home" USER="$(id -un)" LANG=C.UTF-8 \
  DISPLAY="$display" QT_QPA_PLATFORM=xcb \
  XDG_DATA_HOME="$tmp/data" XDG_CONFIG_HOME="$tmp/config" XDG_CACHE_HOME="$tmp/cache" \
  XDG_RUNTIME_DIR="$tmp/runtime" DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/no-bus" \
  "$run_mark" \
  orsivel >"$tmp/orsivel.log" 2>&1 &
editor_pid=$!

# --- wait for the scheduler and the autostart entry ---
resident_pid=""
for _ in $(seq 1 150); do
  if [ -z "$resident_pid" ]; then
    for pid in $(our_pids); do
      [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$resident" ] && resident_pid=$pid
    done
  fi
  [ -n "$resident_pid" ] && [ -s "$autostart" ] && break
  kill -0 "$editor_pid" 2>/dev/null || break
  sleep 0.2
done

if kill -0 "$editor_pid" 2>/dev/null; then
  editor_exe=$(readlink "/proc/$editor_pid/exe")
  check "the running editor is $editor_exe, not the installed one" \
    test "$editor_exe" = "$prefix/lib/nelvora/orsivel"
else
  wait "$editor_pid"
  fail "the installed editor ended early (exit $?)"
fi

if [ -n "$resident_pid" ]; then
  # The editor starts the scheduler from its own folder, which must be the program
  # folder even though it was started through the link in bin/.
  argv0=$(tr '\0' '\n' <"/proc/$resident_pid/cmdline" | head -n 1)
  check "the scheduler was started as '$argv0', not from the program folder" \
    test "$argv0" = "$resident"
else
  fail "the installed editor did not start the installed scheduler"
fi

if [ -s "$autostart" ]; then
  check "the autostart entry is not a valid desktop entry" desktop-file-validate "$autostart"
  exec_line=$(grep '^Exec=' "$autostart")
  check "the autostart entry says '$exec_line', not the installed scheduler" \
    test "$exec_line" = "Exec=\"$resident\""
else
  fail "the installed editor wrote no autostart entry"
fi
check "the editor did not make the reminder folder" test -d "$tmp/data/Velmaro"

if [ "$failures" -gt 0 ]; then
  echo "--- editor output ---" >&2
  cat "$tmp/orsivel.log" >&2
fi
finish
