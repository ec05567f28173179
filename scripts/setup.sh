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
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Please run as root or install sudo: missing ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
