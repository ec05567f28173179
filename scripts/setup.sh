#!/usr/bin/env bash
# Installs the Debian packages the project needs that are not installed yet.
# Usage: scripts/setup.sh [list ...]   (lists from scripts/packages/, default: all)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
lists=("$@")
[ ${#lists[@]} -gt 0 ] || lists=($(cd "$here/packages" && ls *.txt | sed 's/\.txt$//'))

wanted=()
for list in "${lists[@]}"; do
  while read -r pkg; do
    [ -n "$pkg" ] && wanted+=("$pkg")
  done < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$here/packages/$list.txt")
done

missing=()
for pkg in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done

sudo=""
as_root() {
  if [ "$(id -u)" -ne 0 ] && [ -z "$sudo" ]; then
    command -v sudo >/dev/null || { echo "Please run as root or install sudo: $*" >&2; exit 1; }
    sudo="sudo"
  fi
  $sudo "$@"
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The editor tests run again under a locale with digits of its own and under one with a
# decimal comma; a fresh machine has neither.
if [ -x /usr/sbin/locale-gen ]; then
  generate=0
  for loc in ar_EG de_DE; do
    locale -a 2>/dev/null | grep -x "$loc.utf8" >/dev/null && continue
    as_root sed -i "s/^# *\($loc.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    generate=1
  done
  [ $generate -eq 0 ] || as_root /usr/sbin/locale-gen >/dev/null
fi
