#!/usr/bin/env bash
# Reads and drives the editor's windows over AT-SPI, as a screen reader does:
# run.sh ORSIVEL-PATH
# Each run has its own display, home, XDG folders and session bus; as root it also runs
# in private process and network namespaces.
set -u
here=$(cd "$(dirname "$0")" && pwd)
orsivel=$1
python=/usr/bin/python3

skip() { echo "SKIP: $*"; exit 77; }
for tool in Xvfb dbus-run-session unshare; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed"
[ -x "$python" ] || skip "python3 is not installed"
"$python" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' \
  2>/dev/null || skip "python3-gi or gir1.2-atspi-2.0 is not installed"

if [ -z "${NELVORA_A11Y_INSIDE:-}" ] && [ "$(id -u)" -eq 0 ] &&
   unshare --pid --fork --net --mount-proc --mount true 2>/dev/null; then
  exec unshare --pid --fork --net --mount-proc --mount env NELVORA_A11Y_INSIDE=1 bash "$0" "$@"
fi
# Other runs' displays share /tmp: in a namespace of its own the display keeps no lock
# file there and puts its socket in a private folder.
xvfb_opts=()
if [ -n "${NELVORA_A11Y_INSIDE:-}" ]; then
  mkdir -p /tmp/.X11-unix
  mount -t tmpfs -o mode=1777 tmpfs /tmp/.X11-unix || { echo "cannot make a private socket folder" >&2; exit 1; }
  xvfb_opts=(-nolock)
fi

tmp=$(mktemp -d /tmp/nelvora-a11y.XXXXXX)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

export HOME=$tmp/home XDG_DATA_HOME=$tmp/home/data XDG_CONFIG_HOME=$tmp/home/config
export XDG_CACHE_HOME=$tmp/home/cache XDG_RUNTIME_DIR=$tmp/run
mkdir -p "$XDG_DATA_HOME/Velmaro" "$XDG_CONFIG_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS SESSION_MANAGER
export TZ=UTC

# No reset when the last client leaves: the accessibility bus launcher connects and leaves
# before the editor does.
Xvfb "${xvfb_opts[@]}" -noreset -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "FAIL: Xvfb did not start" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
export DISPLAY=:$(cat "$tmp/display")

# The editor lies in a folder of its own beside a stand-in for the resident program, so
# it starts without the missing-part notice and starts nothing real.
mkdir -p "$tmp/program"
cp "$orsivel" "$tmp/program/orsivel"
printf '#!/bin/sh\nexit 0\n' > "$tmp/program/Velmaro"
chmod +x "$tmp/program/Velmaro"

dbus-run-session -- "$python" "$here/editor_a11y.py" "$tmp/program/orsivel" "$XDG_DATA_HOME/Velmaro"
