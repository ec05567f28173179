#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor (which starts the scheduler).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh build run
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
if [ ! -x build/bin/orsivel ]; then
  echo "The editor (orsivel) is not built yet; nothing to start." >&2
  exit 1
fi
exec build/bin/orsivel
