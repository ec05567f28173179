#!/usr/bin/env bash
# Resident memory of Velmaro beside a bare Qt tray program, side by side in one run:
# the same private display and tray host, Velmaro with 100 reminders, both idle past
# Velmaro's first minute tick. Prints RSS, private dirty and heap of each and fails when
# Velmaro's RSS is above LIMIT times the bare program's.
#   tray_memory.sh VELMARO BARE_TRAY [IDLE_SECONDS (65)] [LIMIT (1.10)]
# Needs Xvfb, trayer, xdotool and xwininfo (scripts/packages/e2e.txt).
set -u
here=$(cd "$(dirname "$0")" && pwd)
export VELMARO=$1
BARE=$2
IDLE=${3:-65}
LIMIT=${4:-1.10}

for tool in Xvfb trayer xdotool xwininfo awk; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

# As root: private process and network namespaces, as the end-to-end scenarios use.
if [ -z "${NELVORA_E2E_INSIDE:-}" ] && [ "$(id -u)" -eq 0 ] &&
   unshare --pid --fork --net --mount-proc --mount true 2>/dev/null; then
  NELVORA_E2E_INSIDE=1 exec unshare --pid --fork --net --mount-proc --mount \
    env NELVORA_E2E_INSIDE=1 bash "$0" "$@"
fi

source "$here/../e2e/lib.sh"
trap 'exit 1' TERM

setup_home
start_display

for (( i = 0; i < 100; i++ )); do
  printf '[LastProc]\nYR=2026\nMO=1\nDY=1\nHR=8\nMN=0\n[Date]\nCk=1\nYear=2030\nMonth=6\nDay=10\nHr=10\nMin=0\nRepeat=1\n[Days]\nCk=0\n[Monthly]\nCk=0\n[Display]\nCk=1\n[SayMsg]\nCk=1\n[Reminder]\nMsg=Reminder %d\n' "$i" \
    > "$REMINDERS/Reminder $i.ini"
done
# A failure here need not list a hundred reminders.
REMINDERS=

start_velmaro
"$BARE" >"$E2E_TMP/bare.log" 2>&1 &
BARE_PID=$!
E2E_PIDS+=($BARE_PID)
wait_until 10 icon_shown || fail "Velmaro shows no tray icon"
bare_icon() { xdotool search --classname "$(basename "$BARE")" >/dev/null 2>&1; }
wait_until 10 bare_icon || fail "the bare program shows no tray icon"
note "idle for $IDLE s"
sleep "$IDLE"
kill -0 "$VELMARO_PID" 2>/dev/null || fail "Velmaro ended"
kill -0 "$BARE_PID" 2>/dev/null || fail "the bare program ended"

# kB figures of one process: RSS, private dirty, and the main heap's resident part.
figures() {
  awk '/^Rss:/ {rss = $2} /^Private_Dirty:/ {pd = $2} END {printf "%d %d", rss, pd}' /proc/$1/smaps_rollup
  awk '/^[0-9a-f]+-[0-9a-f]+ / {heap = ($NF == "[heap]")} heap && /^Rss:/ {h += $2} END {printf " %d\n", h}' /proc/$1/smaps
}
read -r v_rss v_pd v_heap < <(figures "$VELMARO_PID")
read -r b_rss b_pd b_heap < <(figures "$BARE_PID")
mb() { awk -v k="$1" 'BEGIN {printf "%.1f MB", k / 1024}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
printf '%-14s %12s %12s %8s\n' "" Velmaro bare ratio
printf '%-14s %12s %12s %8s\n' RSS "$(mb "$v_rss")" "$(mb "$b_rss")" "$(ratio "$v_rss" "$b_rss")"
printf '%-14s %12s %12s %8s\n' "private dirty" "$(mb "$v_pd")" "$(mb "$b_pd")" "$(ratio "$v_pd" "$b_pd")"
printf '%-14s %12s %12s %8s\n' heap "$(mb "$v_heap")" "$(mb "$b_heap")" "$(ratio "$v_heap" "$b_heap")"
awk -v a="$v_rss" -v b="$b_rss" -v l="$LIMIT" 'BEGIN {exit !(a <= b * l)}' ||
  fail "Velmaro's RSS is $(ratio "$v_rss" "$b_rss") times the bare program's (limit $LIMIT)"
echo "PASS: tray memory"
