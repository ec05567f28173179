#!/usr/bin/env bash
# Builds the per-user installer OUT-FOLDER/nelvora-<version>-setup.exe from the deployed
# programs in BIN-FOLDER. Only orsivel.exe and Velmaro.exe are taken from there; what they
# need is gathered beside them anew in OUT-FOLDER/installer/files by windows-deploy.sh, so
# test programs and the DLLs only they import (Qt6Test.dll) stay out, and so does anything
# else a build leaves in BIN-FOLDER.
# Usage: packaging/windows/build-installer.sh BIN-FOLDER OUT-FOLDER [QT-PREFIX]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
die() { echo "build-installer: error: $*" >&2; exit 1; }

[ $# -ge 2 ] && [ $# -le 3 ] || { echo "usage: $0 BIN-FOLDER OUT-FOLDER [QT-PREFIX]" >&2; exit 2; }
bin=$1
out=$(mkdir -p "$2" && cd "$2" && pwd)
command -v makensis >/dev/null || die "makensis is not installed (scripts/setup.sh windows)"
version=$(sed -n 's/^#define NELVORA_RC_VERSION_TEXT "\([^"]*\)"$/\1/p' "$here/version.h")
[ -n "$version" ] || die "no NELVORA_RC_VERSION_TEXT in $here/version.h"

work="$out/installer"
stage="$work/files"
rm -rf "$work"
mkdir -p "$stage"
for program in orsivel.exe Velmaro.exe; do
  [ -f "$bin/$program" ] || die "$bin/$program is missing"
  cp "$bin/$program" "$stage/$program"
done
"$top/scripts/windows-deploy.sh" "$stage" ${3:+"$3"} >/dev/null || die "deploying into $stage failed"

# The file list as NSIS macros: the installer expands it into File commands, the
# uninstaller into checks for files in use and Delete commands, so both handle the same
# files and the uninstaller removes nothing it did not install.
files=()
while IFS= read -r -d '' rel; do files+=("${rel#./}"); done \
  < <(cd "$stage" && find . -type f -print0 | LC_ALL=C sort -z)
folders=()
while IFS= read -r -d '' rel; do folders+=("${rel#./}"); done \
  < <(cd "$stage" && find . -mindepth 1 -type d -print0 | LC_ALL=C sort -rz)
{
  echo "; Made by packaging/windows/build-installer.sh from $stage."
  echo '!macro NelvoraFiles OP'
  for rel in "${files[@]}"; do
    # Quotes or dollar signs would need escaping in NSIS; none of the files has them.
    [[ $rel =~ ^[A-Za-z0-9._+/-]+$ ]] || die "unexpected file name in $stage: $rel"
    dir=$(dirname "$rel")
    [ "$dir" != . ] || dir=""
    printf '  !insertmacro ${OP} "%s" "%s"\n' "${dir//\//\\}" "$(basename "$rel")"
  done
  echo '!macroend'
  echo '!macro NelvoraFolders OP'
  for rel in "${folders[@]}"; do
    printf '  !insertmacro ${OP} "%s"\n' "${rel//\//\\}"
  done
  echo '!macroend'
} >"$work/files.nsh"

installer="$out/nelvora-$version-setup.exe"
rm -f "$installer"
makensis -V2 -DSTAGE="$stage" -DFILES="$work/files.nsh" -DOUTDIR="$out" "$here/nelvora.nsi" \
  || die "makensis failed"
[ -f "$installer" ] || die "makensis made no $installer"
echo "build-installer: $installer ($(du -k "$installer" | cut -f1) KB, ${#files[@]} files)"
