#!/usr/bin/env bash
# Builds the Debian package from this build tree and inspects it: the same files as a
# plain install, under /usr, owned by root with sane modes, the run-time dependencies
# declared, no maintainer scripts (removal must never reach a user's home folder), the
# hardening of a release build, and nothing lintian reports as an error or a warning.
. "$(dirname "$0")/common.sh"
need_tools dpkg-deb dpkg-shlibdeps file tar readelf lintian

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
check "the package's version is '$(field Version)'" test "$(field Version)" = "$version"
check "the package is for '$(field Architecture)', not this machine" \
  test "$(field Architecture)" = "$(dpkg --print-architecture)"
check "the package has no maintainer" test -n "$(field Maintainer)"
check "the package's homepage is '$(field Homepage)'" test "$(field Homepage)" = "https://www.nelvora.example/"
check "the package has no description" test -n "$(field Description)"

# Dependencies are listed with commas; compare package names only. The names are matched
# from a here-string: under pipefail, a grep -q that stops at its match can kill the echo
# still feeding it, and a present name then reads as missing.
package_names() { tr ',' '\n' <<<"$1" | sed 's/(.*)//; s/|.*//; s/[[:space:]]//g' | grep -v '^$'; }
depends=$(field Depends)
echo "Depends: $depends"
dep_names=$(package_names "$depends")
has_dep() { grep -qxF -- "$1" <<<"$dep_names"; }
wanted=(qt6-speech-speechd-plugin xdg-utils)
if [ -z "${skip_reason:-}" ]; then
  # The libraries the programs link, found by dpkg-shlibdeps.
  wanted+=(libqt6core6 libqt6gui6 libqt6widgets6 libqt6texttospeech6 libc6 libstdc++6)
fi
for dep in "${wanted[@]}"; do
  has_dep "$dep" || fail "the package does not depend on $dep"
done
# The X11 plugin is in libqt6gui6 on Debian 12; the speech service is optional: without it
# the failure boxes say what would have been spoken.
for dep in qt6-qpa-plugins speech-dispatcher speech-dispatcher-espeak-ng espeak-ng; do
  has_dep "$dep" && fail "the package depends on $dep"
done
recommends=$(field Recommends)
echo "Recommends: $recommends"
recommend_names=$(package_names "$recommends")
for dep in speech-dispatcher speech-dispatcher-espeak-ng; do
  grep -qxF -- "$dep" <<<"$recommend_names" ||
    fail "the package does not recommend $dep"
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

# --- hardening of a release build: what dpkg-buildflags gives with hardening=+all ---
cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
build_type=$(cache_value CMAKE_BUILD_TYPE)
if [ -z "${skip_reason:-}" ] && [[ $build_type =~ ^(Release|RelWithDebInfo)$ ]] &&
  [ "$(cache_value NELVORA_SANITIZE)" != ON ] && [ "$(cache_value NELVORA_DPKG_BUILDFLAGS)" != OFF ] &&
  command -v dpkg-buildflags >/dev/null; then
  mkdir "$tmp/root"
  dpkg-deb -x "$deb" "$tmp/root"
  for program in orsivel Velmaro; do
    exe=$tmp/root/usr/lib/nelvora/$program
    # Whole outputs first: grep -q ending a pipe early would fail it under pipefail.
    segments=$(readelf -lW "$exe")
    dynamic=$(readelf -dW "$exe")
    symbols=$(readelf --dyn-syms -W "$exe")
    grep -q GNU_RELRO <<<"$segments" || fail "$program has no read-only relocations (relro)"
    grep -q -E 'FLAGS.*\bNOW\b|BIND_NOW' <<<"$dynamic" || fail "$program is not bound at load (bindnow)"
    grep -q -E '^Elf file type is DYN' <<<"$segments" || fail "$program is not position-independent"
    grep -q -E '\b__stack_chk_fail@' <<<"$symbols" || fail "$program has no stack protector"
  done
  # Fortify shows in a binary only where a call's buffer size is known and not provably
  # safe, which these programs may not have; so look at how each file was compiled: with
  # every compile flag of dpkg-buildflags, and optimised, since fortify does nothing at -O0.
  want_flags=$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CPPFLAGS
    (cd "$source_dir" && DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS))
  grep -q -- -D_FORTIFY_SOURCE= <<<"$want_flags" || fail "dpkg-buildflags gives no fortify flag: $want_flags"
  commands=$(grep '"command":' "$build/compile_commands.json" | grep -F -- "$source_dir/")
  check "no compile commands of the project's sources in compile_commands.json" test -n "$commands"
  while read -r command; do
    file=${command##* }
    file=${file%\",}
    for flag in $want_flags; do
      [[ " $command " == *" $flag "* ]] || { fail "compiled without $flag: $file"; break; }
    done
    last_opt=$(grep -o -E '(^| )-O[0-9sgz]?( |$)' <<<"$command" | tail -n 1 | tr -d ' ')
    [ "$last_opt" != -O0 ] && [ -n "$last_opt" ] || fail "compiled at ${last_opt:-no} optimisation: $file"
  done <<<"$commands"
else
  echo "note: $build_type build without dpkg-buildflags; hardening not checked"
fi

# --- lintian: no error, no warning. Informational tags are shown but allowed; among them
# is the spelling "Everytime" in the product's own example texts, kept as it is.
lintian_user=()
if [ "$(id -u)" -eq 0 ]; then
  # lintian unpacks the package and should not do that as root; nobody needs to read it.
  chmod 755 "$tmp" "$tmp/out"
  chmod 644 "$deb"
  lintian_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env)
fi
echo "--- lintian ---"
"${lintian_user[@]}" lintian --display-info --pedantic --tag-display-limit 0 --no-cfg "$deb" \
  >"$tmp/lintian.out" 2>&1
lintian_status=$?
cat "$tmp/lintian.out"
echo "--- (exit $lintian_status) ---"
if grep -q -E '^[EW]: ' "$tmp/lintian.out"; then
  fail "lintian reports errors or warnings: $(grep -c -E '^[EW]: ' "$tmp/lintian.out")"
fi
check "lintian could not check the package (exit $lintian_status)" test "$lintian_status" -eq 0

finish
