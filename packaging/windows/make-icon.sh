#!/usr/bin/env bash
# Makes nelvora.ico, the icon of both Windows programs and of their installer, from the
# PNG icons in packaging/icons/: 16 to 64 pixels as 32-bit bitmaps, the 256-pixel one kept
# as the PNG it is (as Windows expects it from Vista on). The result is committed; run this
# again after a change of the PNG files. icotool (Debian package icoutils) writes the same
# bytes for the same input, so an unchanged icon leaves git clean.
# Usage: packaging/windows/make-icon.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
icons="$here/../icons"
command -v icotool >/dev/null || { echo "make-icon: needs icotool (apt-get install icoutils)" >&2; exit 1; }
icotool --create --output="$here/nelvora.ico.tmp" \
  "$icons"/nelvora-{16,24,32,48,64}.png --raw="$icons/nelvora-256.png"
mv -f "$here/nelvora.ico.tmp" "$here/nelvora.ico"
icotool --list "$here/nelvora.ico"
