#!/usr/bin/env bash
# Runs one end-to-end scenario: run.sh SCENARIO VELMARO-PATH [ORSIVEL-PATH]
# As root it runs in private process and network namespaces: every process it starts ends
# with it, and its presence marker cannot meet another run's.
set -u
here=$(cd "$(dirname "$0")" && pwd)
scenario=$1
export VELMARO=$2 ORSIVEL=${3:-}

tools="Xvfb trayer xdotool xwininfo faketime awk"
# The editor's scenarios read window texts through the clipboard.
case $scenario in editor_*) tools="$tools xclip"; E2E_SCREEN=1024x768 ;; esac
for tool in $tools; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

if [ -z "${NELVORA_E2E_INSIDE:-}" ] && [ "$(id -u)" -eq 0 ] &&
   unshare --pid --fork --net --mount-proc --mount true 2>/dev/null; then
  NELVORA_E2E_INSIDE=1 exec unshare --pid --fork --net --mount-proc --mount \
    env NELVORA_E2E_INSIDE=1 bash "$here/run.sh" "$@"
fi

# faketime keeps a semaphore in /dev/shm named after its process id; ids repeat across
# namespaces, so each run gets a /dev/shm of its own.
if [ -n "${NELVORA_E2E_INSIDE:-}" ]; then
  mount -t tmpfs -o mode=1777 tmpfs /dev/shm || { echo "cannot make a private /dev/shm" >&2; exit 1; }
fi

source "$here/lib.sh"
source "$here/scenarios.sh"
source "$here/editor.sh"
source "$here/sni.sh"
source "$here/keyboard.sh"
source "$here/boxes.sh"

# A step that hangs would otherwise end in the test runner's time-out with nothing said:
# the shell's trace goes to a file, and a watchdog shows its last lines and the processes
# before the runner gives up.
exec 9>"$E2E_TMP/trace"
BASH_XTRACEFD=9
set -x
main_shell=$$
(
  set +x
  sleep "${E2E_WATCHDOG:-100}"
  {
    echo "WATCHDOG: scenario $scenario still running; last steps:"
    tail -n 25 "$E2E_TMP/trace"
    echo "processes:"
    ps -eo pid,ppid,stat,wchan:20,etime,args
  } >&2
  kill -TERM "$main_shell"
) 9>&- &
E2E_WATCHDOG_PID=$!
E2E_PIDS+=($E2E_WATCHDOG_PID)
# In its own process namespace this shell is process 1, which ignores signals it has no
# handler for.
trap 'exit 1' TERM

setup_home
start_display
"scenario_$scenario"
kill "$E2E_WATCHDOG_PID" 2>/dev/null
echo "PASS: $scenario"
