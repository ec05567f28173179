#!/usr/bin/env bash
# Builds the Debian package from this build tree and inspects it: the same files as a
# plain install, under /usr, owned by root with sane modes, the run-time dependencies
# declared, and no maintainer scripts (removal must never reach a user's home folder).
. "$(dirname "$0")/common.sh"
need_tools dpkg-deb dpkg-shlibdeps file tar

tmp=$(mktemp -d /tmp/nelvora-package.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

install_into "$tmp/prefix"
if ! programs_configured; then
  skip_reason="orsivel and Velmaro are not built yet; the package was checked without them"
fi

# The tests run on a finished build. Naming a generator without a preinstall step keeps
# cpack from building every target again first; what it packages is the same.
"$cpack_cmd" -G DEB --config "$build/CPackConfig.cmake" -D CPACK_CMAKE_GENERATOR=Ninja \
  -B "$tmp/out" >"$tmp/cpack.log" 2>&1 || {
  cat "$tmp/cpack.log" >&2
  echo "FAIL: cpack -G DEB failed" >&2
  exit 1
}
debs=("$tmp"/out/*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: cpack made no single .deb: ${debs[*]}" >&2; exit 1; }
deb=${debs[0]}
echo "package: $(basename "$deb") ($(stat -c %s "$deb") bytes)"

field() { dpkg-deb -f "$deb" "$1"; }

# --- control fields ---
check "the package is named '$(field Package)'" test "$(field Package)" = nelvora
check "the package's version is '$(field Version)'" test "$(field Version)" = 2.05
check "the package is for '$(field Architecture)', not this machine" \
  test "$(field Architecture)" = "$(dpkg --print-architecture)"
check "the package has no maintainer" test -n "$(field Maintainer)"
check "the package's homepage is '$(field Homepage)'" test "$(field Homepage)" = "https://www.nelvora.example/"
check "the package has no description" test -n "$(field Description)"

# Dependencies are listed with commas; compare package names only.
depends=$(field Depends)
echo "Depends: $depends"
dep_names=$(echo "$depends" | tr ',' '\n' | sed 's/(.*)//; s/|.*//; s/[[:space:]]//g' | grep -v '^$')
has_dep() { echo "$dep_names" | grep -qxF "$1"; }
wanted=(qt6-qpa-plugins libqt6svg6 qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng xdg-utils)
if [ -z "${skip_reason:-}" ]; then
  # The libraries the programs link, found by dpkg-shlibdeps.
  wanted+=(libqt6core6 libqt6gui6 libqt6widgets6 libqt6network6 libqt6texttospeech6 libc6 libstdc++6)
fi
for dep in "${wanted[@]}"; do
  has_dep "$dep" || fail "the package does not depend on $dep"
done

# --- no maintainer scripts ---
dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v '^$' | LC_ALL=C sort >"$tmp/control-members"
scripts=$(grep -E '^(preinst|postinst|prerm|postrm|config|triggers)$' "$tmp/control-members")
check "the package carries maintainer scripts: $scripts" test -z "$scripts"

# --- contents: exactly the plain install, moved to /usr ---
dpkg-deb --fsys-tarfile "$deb" | tar -tv --numeric-owner >"$tmp/contents"
(cd "$tmp/prefix" && find . \( -type f -o -type l \) | sed 's|^\.|/usr|' | LC_ALL=C sort) >"$tmp/want"
awk '$1 !~ /^d/ { print $6 }' "$tmp/contents" | sed 's|^\.||' | LC_ALL=C sort >"$tmp/have"
if ! cmp -s "$tmp/want" "$tmp/have"; then
  fail "the package's files differ from a plain install under /usr"
  diff "$tmp/want" "$tmp/have" | sed -n 's/^</  missing:/p; s/^>/  unexpected:/p' >&2
fi
outside=$(awk '{ print $6 }' "$tmp/contents" | grep -v -E '^\./(usr(/.*)?)?$')
check "the package puts files outside /usr: $outside" test -z "$outside"

not_root=$(awk '$2 != "0/0" { print $6 }' "$tmp/contents")
check "files not owned by root: $not_root" test -z "$not_root"
writable=$(awk '$1 ~ /^[^l]....w|^[^l].......w/ { print $1, $6 }' "$tmp/contents")
check "files writable by group or others: $writable" test -z "$writable"

if [ -z "${skip_reason:-}" ]; then
  for program in orsivel Velmaro; do
    grep -q -E "^-rwxr-xr-x .* \./usr/lib/nelvora/$program$" "$tmp/contents" ||
      fail "/usr/lib/nelvora/$program is not an executable file in the package"
    grep -q -F "./usr/bin/$program -> ../lib/nelvora/$program" "$tmp/contents" ||
      fail "/usr/bin/$program is not a link into /usr/lib/nelvora"
  done
fi

finish
