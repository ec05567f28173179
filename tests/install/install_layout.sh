#!/usr/bin/env bash
# Installs into a temporary prefix and checks that the layout is complete and nothing
# else is there, that the commands on the path reach the program folder, and that the
# launcher, the icons and the metadata are valid and agree with each other.
. "$(dirname "$0")/common.sh"
need_tools desktop-file-validate appstreamcli file readelf ldd man gzip dpkg-parsechangelog

tmp=$(mktemp -d /tmp/nelvora-layout.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
install_into "$prefix"

sizes="16 22 24 32 48 64 128 256"
expected=(
  lib/nelvora/index.html
  lib/nelvora/download.html
  "share/applications/$app_id.desktop"
  "share/metainfo/$app_id.metainfo.xml"
  share/icons/hicolor/scalable/apps/nelvora.svg
  share/man/man1/orsivel.1.gz
  share/man/man1/Velmaro.1.gz
  share/doc/nelvora/copyright
  share/doc/nelvora/changelog.gz
)
for size in $sizes; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/nelvora.png")
done
with_programs=no
if programs_built && programs_configured; then
  with_programs=yes
  expected+=(bin/orsivel bin/Velmaro lib/nelvora/orsivel lib/nelvora/Velmaro)
elif programs_built; then
  fail "orsivel and Velmaro are built but were not configured for install: run cmake again"
else
  skip_reason="orsivel and Velmaro are not built yet; the programs were not checked"
fi

# --- the installed files: all there, nothing else ---
want=$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)
have=$(tree_list "$prefix")
if [ "$want" != "$have" ]; then
  fail "installed files differ from the expected layout"
  diff <(echo "$want") <(echo "$have") | sed 's/^</missing:/; s/^>/unexpected:/' | grep -E '^(missing|unexpected)' >&2
fi

# --- the programs and the commands that start them ---
if [ "$with_programs" = yes ]; then
  for program in orsivel Velmaro; do
    exe=$prefix/lib/nelvora/$program
    link=$prefix/bin/$program
    check "$exe is not an executable file" test -f "$exe" -a -x "$exe" -a ! -L "$exe"
    file -b "$exe" | grep -q '^ELF .*executable' || fail "$exe is not an ELF executable: $(file -b "$exe")"
    target=$(readlink "$link")
    check "bin/$program links to '$target', not relatively into the program folder" \
      test "$target" = "../lib/nelvora/$program"
    check "bin/$program does not resolve to the program folder" \
      test "$(realpath "$link")" = "$(realpath "$exe")"
    # A run path into the build tree would load stale or missing libraries once installed.
    if readelf -d "$exe" | grep -E 'R(UN)?PATH' | grep -q -F "$build"; then
      fail "$program keeps a run path into the build tree"
    fi
    missing_libs=$(ldd "$exe" | grep 'not found')
    check "$program misses libraries: $missing_libs" test -z "$missing_libs"
  done
fi

# --- help pages beside the programs ---
for page in index.html download.html; do
  check "$page is empty" test -s "$prefix/lib/nelvora/$page"
  if [ -f "$source_dir/docs/$page" ]; then
    check "$page differs from docs/$page" cmp -s "$source_dir/docs/$page" "$prefix/lib/nelvora/$page"
  fi
done

# --- icons: the theme name the launcher and the autostart entry use, at every size ---
for size in $sizes; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/nelvora.png
  [ -f "$png" ] || continue
  file -b "$png" | grep -q "^PNG image data, $size x $size," ||
    fail "icon ${size}x${size} is not a PNG of that size: $(file -b "$png")"
done
check "the scalable icon is not the source icon" \
  cmp -s "$source_dir/data/icons/nelvora.svg" "$prefix/share/icons/hicolor/scalable/apps/nelvora.svg"

# --- the launcher ---
desktop=$prefix/share/applications/$app_id.desktop
if [ -f "$desktop" ]; then
  check "desktop-file-validate rejects the launcher" desktop-file-validate "$desktop"
  key() { sed -n "s/^$1=//p" "$desktop" | head -n 1; }
  check "the launcher has no Comment" test -n "$(key Comment)"
  check "the help does not name the menu entry" \
    grep -q "<b>$(key Name)</b> from your applications menu" "$prefix/lib/nelvora/index.html"
  check "the launcher has no Categories" test -n "$(key Categories)"
  check "the launcher's Icon is not the installed theme icon 'nelvora'" test "$(key Icon)" = nelvora
  exec_cmd=$(key Exec)
  check "the launcher starts '$exec_cmd', not the editor command" test "${exec_cmd%% *}" = orsivel
  if [ "$with_programs" = yes ]; then
    check "the launcher's command is not among the installed commands" test -x "$prefix/bin/${exec_cmd%% *}"
  fi
fi

# --- the metadata ---
metainfo=$prefix/share/metainfo/$app_id.metainfo.xml
if [ -f "$metainfo" ]; then
  check "appstreamcli rejects the metadata" appstreamcli validate --no-net "$metainfo"
  check "the metadata's id is not $app_id" grep -q "<id>$app_id</id>" "$metainfo"
  id=$(sed -n 's|.*<id>\(.*\)</id>.*|\1|p' "$metainfo")
  check "the metadata's id '$id' is not in lower case" test "$id" = "${id,,}"
  check "the metadata does not give the licence of the copyright file" \
    grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo"
  check "the metadata has no content rating" grep -q '<content_rating type="oars-1.1"' "$metainfo"
  check "the metadata has no release $version" grep -q "<release version=\"$version\"" "$metainfo"
  check "the metadata does not launch the installed launcher" \
    grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo"
  check "the metadata has no homepage" \
    grep -q '<url type="homepage">https://www.nelvora.example/</url>' "$metainfo"
  # The tree check also matches metadata, launcher and icons against each other.
  check "appstreamcli rejects the installed tree" appstreamcli validate-tree --no-net "$prefix"
fi

# --- manual pages: one per command, readable, no complaint from man ---
for program in orsivel Velmaro; do
  page=$prefix/share/man/man1/$program.1.gz
  [ -f "$page" ] || continue
  file -b "$page" | grep -q '^gzip compressed data, max compression' ||
    fail "$program.1.gz is not compressed with gzip -9n (no source name or time): $(file -b "$page")"
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  check "man complains about $program.1: $warnings" test -z "$warnings"
  # The NAME line is what whatis and apropos index.
  shown=$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$page" 2>/dev/null)
  grep -q -E "^ +$program - " <<<"$shown" || fail "$program.1 has no NAME line '$program - ...'"
  source=$(zcat "$page")
  case $program in
    orsivel) own_sizes='~/.local/share/Velmaro/Velmaro6.ini' ;;
    Velmaro) own_sizes='~/.config/Velmaro6.ini' ;;
  esac
  for text in "takes no options" '~/.local/share/Velmaro/<name>.ini' \
    '~/.config/autostart/Nelvora.desktop' "$own_sizes"; do
    [[ $source == *"$text"* ]] || fail "$program.1 does not say '$text'"
  done
done

# --- licence and changelog ---
copyright=$prefix/share/doc/nelvora/copyright
if [ -f "$copyright" ]; then
  check "the copyright file is not machine-readable" \
    grep -q -x 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright"
  check "the copyright file does not license every file under GPL-3+" \
    grep -q -z -P '\nFiles: \*\nCopyright: [^\n]+\nLicense: GPL-3\+\n' "$copyright"
  check "the copyright file does not point at the common GPL-3 text" \
    grep -q -F '/usr/share/common-licenses/GPL-3' "$copyright"
fi
if [ -f /usr/share/common-licenses/GPL-3 ]; then
  check "LICENSE is not the text of the GPL version 3" cmp -s /usr/share/common-licenses/GPL-3 "$source_dir/LICENSE"
fi
changelog=$prefix/share/doc/nelvora/changelog.gz
if [ -f "$changelog" ]; then
  gzip -t "$changelog" || fail "changelog.gz is not a gzip file"
  zcat "$changelog" >"$tmp/changelog"
  newest=$(dpkg-parsechangelog -l "$tmp/changelog" -S Version 2>"$tmp/changelog.err")
  check "the changelog does not parse: $(cat "$tmp/changelog.err")" test -s "$tmp/changelog" -a ! -s "$tmp/changelog.err"
  check "the newest changelog entry is for '$newest', not $version" test "$newest" = "$version"
  check "the changelog is not for the package nelvora" \
    test "$(dpkg-parsechangelog -l "$tmp/changelog" -S Source 2>/dev/null)" = nelvora
fi

finish
