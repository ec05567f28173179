#!/usr/bin/env bash
# Runs the private-profile fuzz target for a bounded time.
# Usage: tests/fuzz/run.sh <fuzz build folder> [seconds, default 60]
# The corpus grows in the build folder; a failing input is left there as crash-* and the
# run fails. The target touches no files, but runs apart like every other program here.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
seconds=${2:-60}
if [ -z "${NELVORA_IN_NETNS:-}" ]; then
  for how in "-n" "-rn"; do
    if unshare $how true 2>/dev/null; then
      NELVORA_IN_NETNS=1 exec unshare $how bash "$0" "$@"
    fi
  done
  echo "note: no private network namespace"
fi
home=$(mktemp -d /tmp/nelvora-fuzz.XXXXXX)
trap 'rm -rf "$home"' EXIT
mkdir -p "$build/fuzz-corpus"
cd "$build"
HOME=$home XDG_DATA_HOME=$home/data XDG_CONFIG_HOME=$home/config \
  "$build/bin/fuzz_profile" "$build/fuzz-corpus" "$here/seeds" -dict="$here/profile.dict" \
  -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$build/" -print_final_stats=1
