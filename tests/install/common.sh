# Shared by the install checks; sourced, not run.
# Environment from ctest: NELVORA_BUILD_DIR, NELVORA_SOURCE_DIR, CMAKE_COMMAND, CPACK_COMMAND.

set -uo pipefail

build=${NELVORA_BUILD_DIR:?}
source_dir=${NELVORA_SOURCE_DIR:?}
cmake_cmd=${CMAKE_COMMAND:-cmake}
cpack_cmd=${CPACK_COMMAND:-cpack}
app_id=example.nelvora.orsivel
version=2.05
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# check DESCRIPTION COMMAND...: a failed command is a failure, the run goes on.
check() {
  local what=$1
  shift
  if ! "$@"; then
    fail "$what"
  fi
}

skip() {
  echo "SKIP: $*"
  exit 77
}

need_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/setup.sh package)" >&2; exit 1; }
  done
}

programs_built() {
  [ -x "$build/bin/orsivel" ] && [ -x "$build/bin/Velmaro" ]
}

# The install rules are read at configure time: programs built after the last configure
# are not installed until cmake runs again.
programs_configured() {
  [ -L "$build/packaging/bin/orsivel" ] && [ -L "$build/packaging/bin/Velmaro" ]
}

# install_into PREFIX: a plain install of this build tree.
install_into() {
  if programs_configured && ! programs_built; then
    skip "orsivel and Velmaro are to be installed but are not built yet"
  fi
  "$cmake_cmd" --install "$build" --prefix "$1" >"$1.log" 2>&1 || {
    cat "$1.log" >&2
    echo "FAIL: cmake --install failed" >&2
    exit 1
  }
}

# Every file and link below a folder, relative to it, sorted.
tree_list() {
  (cd "$1" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
}

finish() {
  if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
  fi
  if [ -n "${skip_reason:-}" ]; then
    skip "$skip_reason"
  fi
  echo "all checks passed"
  exit 0
}
