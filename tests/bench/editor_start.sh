#!/usr/bin/env bash
# Editor start to window shown, with 100 and with 2,000 reminders, beside a bare Qt window
# timed in the same run, on a private X display (Xvfb), in a private home.
#   tests/bench/editor_start.sh BUILD-DIR [RUNS]
# Each figure is the median wall time of RUNS whole-process runs (after one warm-up),
# the two programs taking turns so that a drift of the machine's speed hits both alike.
set -eu
build=$(cd "$1" && pwd)
runs=${2:-15}
editor=$build/bin/bench_editor_start
bare=$build/bin/bench_bare_window
for tool in Xvfb timeout date sort awk; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed" >&2; exit 1; }
done
for program in "$editor" "$bare"; do
  [ -x "$program" ] || { echo "missing $program: build the project first" >&2; exit 1; }
done

tmp=$(mktemp -d /tmp/nelvora-bench.XXXXXX)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

export HOME=$tmp/home XDG_DATA_HOME=$tmp/home/data XDG_CONFIG_HOME=$tmp/home/config
export XDG_RUNTIME_DIR=$tmp/run XDG_CACHE_HOME=$tmp/home/cache
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER
reminders=$XDG_DATA_HOME/Velmaro
mkdir -p "$reminders" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$XDG_CACHE_HOME" "$tmp/program"
chmod 700 "$XDG_RUNTIME_DIR"
: > "$tmp/program/Velmaro"

Xvfb -displayfd 5 -screen 0 1024x768x24 -nolisten tcp 5>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$tmp/display")

# reminders_up_to N: the folder holds N reminders of the three kinds, each with a message.
reminders_up_to() {
  local i
  for (( i = $(ls "$reminders" | wc -l); i < $1; i++ )); do
    case $(( i % 3 )) in
      0) when="[Date]
Ck=1
Year=2027
Month=$(( i % 12 + 1 ))
Day=$(( i % 28 + 1 ))
Hr=9
Min=10
Repeat=$(( i % 2 ))
[Days]
Ck=0
[Monthly]
Ck=0" ;;
      1) when="[Date]
Ck=0
[Days]
Ck=1
Mon=1
Tue=0
Wed=1
Thu=0
Fri=1
Sat=0
Sun=0
Hr=7
Min=30
[Monthly]
Ck=0" ;;
      2) when="[Date]
Ck=0
[Days]
Ck=0
[Monthly]
Ck=1
Year=2027
Month=1
Day=15
Hr=8
Min=0" ;;
    esac
    printf '[LastProc]\nYR=2026\nMO=12\nDY=1\nHR=8\nMN=0\nAM=1\nPM=0\n%s\n[SayTime]\nCk=0\n[SayDay]\nCk=0\n[PlayMP3]\nCk=0\n[Display]\nCk=1\n[SayMsg]\nCk=0\n[Open]\nCk=0\n[Reminder]\nMsg=Reminder number %d\nOpen=\nMP3=\n' \
      "$when" "$i" > "$reminders/Reminder $i.ini"
  done
}

# wall_ms COMMAND...: the whole run's wall time in milliseconds.
wall_ms() {
  local start end
  start=$(date +%s%N)
  timeout 30 "$@" >/dev/null 2>>"$tmp/errors.log" || { echo "failed: $*" >&2; cat "$tmp/errors.log" >&2; exit 1; }
  end=$(date +%s%N)
  echo $(( (end - start) / 1000 ))
}
# median [DECIMALS]: the median of the numbers read, divided by 1000.
median() { sort -n | awk -v d="${1:-1}" '{ v[NR] = $1 } END { printf "%.*f", d, v[int((NR + 1) / 2)] / 1000 }'; }

printf '%-34s %10s %10s %8s\n' "" "editor ms" "bare ms" "ratio"
for count in 100 2000; do
  reminders_up_to "$count"
  wall_ms "$editor" "$tmp/program" >/dev/null
  wall_ms "$bare" >/dev/null
  : > "$tmp/editor" ; : > "$tmp/bare"; : > "$tmp/ratio"
  for (( r = 0; r < runs; r++ )); do
    e=$(wall_ms "$editor" "$tmp/program")
    b=$(wall_ms "$bare")
    echo "$e" >> "$tmp/editor"
    echo "$b" >> "$tmp/bare"
    awk -v e="$e" -v b="$b" 'BEGIN { printf "%d\n", e * 1000 / b }' >> "$tmp/ratio"
  done
  printf '%-34s %10s %10s %8s\n' "start to shown, $count reminders" \
    "$(median < "$tmp/editor")" "$(median < "$tmp/bare")" "$(median 2 < "$tmp/ratio")"
done
