#!/usr/bin/env bash
# Puts beside the Windows programs in a folder what they need to start: every DLL they
# import from Qt and the MinGW runtime (and what those import in turn), the platform, style
# and ICO image plugins, and the two help pages; then strips the programs and DLLs there.
# Usage: scripts/windows-deploy.sh BIN-FOLDER [QT-PREFIX]
#   QT-PREFIX defaults to <cache>/qt6-mingw of scripts/windows-sdk.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/.." && pwd)
target=x86_64-w64-mingw32
cxx=$target-g++-posix
die() { echo "windows-deploy: error: $*" >&2; exit 1; }

[ $# -ge 1 ] && [ $# -le 2 ] || { echo "usage: $0 BIN-FOLDER [QT-PREFIX]" >&2; exit 2; }
bin=$1
[ -d "$bin" ] || die "no such folder: $bin"
qt=${2:-$("$here/windows-sdk.sh" --print)/qt6-mingw}
[ -f "$qt/bin/Qt6Core.dll" ] || die "no Qt for MinGW-w64 in $qt"

# Every DLL a program or plugin imports is looked for in Qt's bin folder and beside the
# MinGW runtime, and copied with what it imports in turn; what Wine (or Windows) brings
# itself is left alone, and anything else missing is an error.
search=("$qt/bin"
        "$(dirname "$("$cxx" -print-file-name=libstdc++-6.dll)")"
        "$(dirname "$("$cxx" -print-file-name=libwinpthread-1.dll)")")
system_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
imports() { "$target-objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'; }
find_dll() {
  local dir
  for dir in "${search[@]}"; do
    [ -f "$dir/$1" ] && { echo "$dir/$1"; return 0; }
  done
  return 1
}

# The platform plugin; the style plugin for the native look; ICO for the icons.
for plugin in platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qico.dll; do
  [ -f "$qt/plugins/$plugin" ] || die "$qt/plugins/$plugin is missing"
  mkdir -p "$bin/$(dirname "$plugin")"
  cp -u "$qt/plugins/$plugin" "$bin/$plugin"
done

shopt -s nullglob
queue=("$bin"/*.exe "$bin"/platforms/*.dll "$bin"/styles/*.dll "$bin"/imageformats/*.dll)
shopt -u nullglob
declare -A seen=()
missing=()
while [ ${#queue[@]} -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  while read -r dll; do
    key=${dll,,}
    [ -n "${seen[$key]:-}" ] && continue
    seen[$key]=1
    if source=$(find_dll "$dll"); then
      cp -u "$source" "$bin/$dll"
      queue+=("$bin/$dll")
    elif [[ $key == api-ms-win-* || $key == ext-ms-* ]]; then
      : # API sets: names the loader maps onto system DLLs, never files of their own
    elif [ -n "$(find "$system_dlls" -maxdepth 1 -iname "$dll" -print -quit 2>/dev/null)" ]; then
      :
    else
      missing+=("$dll (imported by $(basename "$file"))")
    fi
  done < <(imports "$file")
done
[ ${#missing[@]} -eq 0 ] || die "no DLL found for: ${missing[*]}"

# Symbol tables serve no user and are most of the bytes (libstdc++-6.dll: 23.7 MB with,
# 1.9 MB without); the installer must stay small. Exports and resources stay, so the
# plugins still load and the icons and versions still show. A stripped copy is newer than
# its source, so cp -u above leaves it alone next time.
shopt -s nullglob
binaries=("$bin"/*.exe "$bin"/*.dll "$bin"/platforms/*.dll "$bin"/styles/*.dll "$bin"/imageformats/*.dll)
shopt -u nullglob
"$target-strip" --strip-unneeded "${binaries[@]}" || die "stripping the programs and DLLs in $bin failed"

for page in index.html download.html; do
  [ -f "$top/docs/$page" ] || die "docs/$page is missing"
  cp -u "$top/docs/$page" "$bin/$page"
done
shopt -s nullglob
dlls=("$bin"/*.dll)
plugins=("$bin"/platforms/*.dll "$bin"/styles/*.dll "$bin"/imageformats/*.dll)
echo "windows-deploy: ${#dlls[@]} DLLs, ${#plugins[@]} plugins and the help pages in $bin"
