#!/usr/bin/env bash
# Checks the Windows installer, the installed programs and the uninstaller under Wine, in a
# temporary prefix on a virtual display without network (scripts/wine-run.sh --session):
# silent install, the editor starting the scheduler and a reminder firing, upgrade, silent
# uninstall. Ends with "N passed, N failed".
# Usage: packaging/windows/check-installer.sh [INSTALLER]
#   INSTALLER defaults to nelvora-<version>-setup.exe in $NELVORA_WINDOWS_BUILD (default
#   build-windows/). The folder installer/files beside it (left by build-installer.sh) is
#   what must be installed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
version=$(sed -n 's/^#define NELVORA_RC_VERSION_TEXT "\([^"]*\)"$/\1/p' "$here/version.h")
numbers=$(sed -n 's/^#define NELVORA_RC_VERSION_NUMBERS \([0-9,]*\)$/\1/p' "$here/version.h")
installer=$(realpath "${1:-${NELVORA_WINDOWS_BUILD:-$top/build-windows}/nelvora-$version-setup.exe}")
[ -f "$installer" ] || { echo "check-installer: no installer $installer" >&2; exit 1; }

if [ -z "${NELVORA_WINE_SESSION:-}" ]; then
  exec "$top/scripts/wine-run.sh" --session bash "$0" "$installer"
fi
# shellcheck source=../../scripts/wine-lib.sh
source "$top/scripts/wine-lib.sh" || exit 1

stage="$(dirname "$installer")/installer/files"
passed=0
failed=0
started=$SECONDS
check() {
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1)); echo "ok   $what"
  else
    failed=$((failed + 1)); echo "FAIL $what"
  fi
}
equals() { [ "$1" = "$2" ] || { echo "     got '$1', want '$2'" >&2; return 1; }; }
step() { echo "--- $* ($((SECONDS - started)) s)"; }

# Limits: the installer's size, and its own version resource.
size=$(stat -c %s "$installer")
echo "installer: $installer, $size bytes"
check "the installer is at most 12 MB" test "$size" -le 12000000
check "the installer shows its version" equals \
  "$(wl_probe version "$(wl_windows_path "$installer")" | tr -d '\r' | sed -n 's/^ProductVersion=//p')" "$version"

local_app=$(wl_folder LOCALAPPDATA) && roaming=$(wl_folder APPDATA) \
  || { echo "check-installer: no profile folders in the prefix" >&2; exit 1; }
instdir="$local_app/Programs/Nelvora"
menu="$roaming/Microsoft/Windows/Start Menu/Programs/Nelvora.lnk"
key=$(wl_uninstall_key Nelvora)
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
win_instdir="$(wl_windows_folder LOCALAPPDATA)\Programs\Nelvora"

# The files of the install folder, one relative path a line.
listing() { (cd "$1" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort); }
same_files() {
  local want
  want=$( (listing "$stage"; echo uninstall.exe) | LC_ALL=C sort)
  diff <(echo "$want") <(listing "$instdir") >&2
}
same_content() {
  local rel
  while IFS= read -r rel; do cmp -s "$stage/$rel" "$instdir/$rel" || { echo "     differs: $rel" >&2; return 1; }; done < <(listing "$stage")
}
no_test_programs() { ! listing "$instdir" | grep -i -e 'test' -e '\.a$' -e '\.o$' -e 'CMake' >&2; }
scheduler_pid() { wl_probe window TForm1 Nelvora | tr -d '\r' | sed -n 's/^pid=//p'; }
# A scheduler other than the one whose process was $before.
scheduler_replaced() { local now; now=$(scheduler_pid); [ -n "$now" ] && [ "$now" != "$before" ]; }
scheduler_up() { wl_probe window TForm1 Nelvora >/dev/null; }
scheduler_down() { ! wl_probe window TForm1 Nelvora >/dev/null && ! wl_probe process Velmaro.exe; }
editor_up() { wl_probe window "" "Nelvora and Reminder" >/dev/null; }
editor_down() { ! wl_probe window "" "Nelvora and Reminder" >/dev/null && ! wl_probe process orsivel.exe; }
gone() { [ ! -e "$1" ]; }
reg_gone() { ! wl_reg_has "$@"; }
uninstalled() { [ ! -e "$instdir" ] && ! wl_reg_has "$key"; }

step "silent install"
t=$SECONDS
wl_install_silent "$installer"
check "silent install ends with 0" equals "$?" 0
echo "     (install took $((SECONDS - t)) s)"
[ -d "$stage" ] || { echo "check-installer: no staged files in $stage (build-installer.sh)" >&2; exit 1; }
check "the install folder holds the programs' files and the uninstaller, nothing else" same_files
check "no test program or build leftover is installed" no_test_programs
check "the installed files are those staged" same_content
check "the Start menu entry Nelvora exists" test -f "$menu"
link=$(wl_probe shortcut "$menu" | tr -d '\r')
check "the Start menu entry opens the editor" equals \
  "$(sed -n 's/^Target=//p' <<<"$link")" "$win_instdir\\orsivel.exe"

step "uninstall entry"
check "uninstall key exists" wl_reg_has "$key"
check "DisplayName" equals "$(wl_reg_value "$key" DisplayName)" "Nelvora and Reminder"
check "DisplayVersion" equals "$(wl_reg_value "$key" DisplayVersion)" "$version"
check "Publisher" equals "$(wl_reg_value "$key" Publisher)" "Nelvora developers"
check "DisplayIcon" equals "$(wl_reg_value "$key" DisplayIcon)" "$win_instdir\\orsivel.exe,0"
check "InstallLocation" equals "$(wl_reg_value "$key" InstallLocation)" "$win_instdir"
check "UninstallString" equals "$(wl_reg_value "$key" UninstallString)" "\"$win_instdir\\uninstall.exe\""
check "QuietUninstallString" equals "$(wl_reg_value "$key" QuietUninstallString)" "\"$win_instdir\\uninstall.exe\" /S"
check "NoModify" equals "$(wl_reg_value "$key" NoModify)" 0x1
check "NoRepair" equals "$(wl_reg_value "$key" NoRepair)" 0x1
estimated=$(( $(wl_reg_value "$key" EstimatedSize) ))
actual=$(du -sk "$instdir" | cut -f1)
echo "     EstimatedSize $estimated KB, du $actual KB"
check "EstimatedSize is the folder's size in KB (within 5 %)" \
  test $((estimated * 100)) -ge $((actual * 95)) -a $((estimated * 100)) -le $((actual * 105))

step "resources of the installed programs"
for program in orsivel Velmaro; do
  info=$(wl_probe version "$win_instdir\\$program.exe" | tr -d '\r')
  value() { sed -n "s/^$1=//p" <<<"$info"; }
  check "$program.exe: FileVersion" equals "$(value FileVersion)" "$version"
  check "$program.exe: ProductVersion" equals "$(value ProductVersion)" "$version"
  check "$program.exe: numeric version" equals "$(value Fixed.FileVersion)" "${numbers//,/.}"
  check "$program.exe: ProductName" equals "$(value ProductName)" "Nelvora and Reminder"
  check "$program.exe: OriginalFilename" equals "$(value OriginalFilename)" "$program.exe"
  check "$program.exe: CompanyName" equals "$(value CompanyName)" "Nelvora developers"
  check "$program.exe: FileDescription names the product" grep -q '^Nelvora and Reminder ' <<<"$(value FileDescription)"
  check "$program.exe: LegalCopyright names the licence" grep -q 'GPL-3.0-or-later' <<<"$(value LegalCopyright)"
  # A console program gets a console window beside it when Windows starts it.
  check "$program.exe: a GUI program, no console window" grep -q 'Windows GUI' \
    <<<"$(x86_64-w64-mingw32-objdump -p "$instdir/$program.exe" | grep '^Subsystem')"
  check "$program.exe: the first icon is id 1 and ExtractIcon finds it" \
    equals "$(wl_probe icon "$win_instdir\\$program.exe" | tr -d '\r' | sed -n 's/.*first=//p')" 1
done
check "the two programs describe themselves apart" test \
  "$(wl_probe version "$win_instdir\\orsivel.exe" | grep FileDescription)" != \
  "$(wl_probe version "$win_instdir\\Velmaro.exe" | grep FileDescription)"

step "the installed programs at work"
# A reminder of today 0:00, last fired yesterday: due at the scheduler's first tick, a
# minute after it starts. Saying the time fails under Wine (no voice), which must say so in
# a box; after the box the message window shows, and the file opens through the shell.
reminders="$roaming/Velmaro"
mkdir -p "$reminders"
mark="$WL_DIR/opened.mark"
printf '@echo opened>"%s"\r\n' "$(wl_windows_path "$WL_DIR")\\opened.mark" >"$WL_DIR/open-me.bat"
read -r year month day <<<"$(date '+%Y %-m %-d')"
read -r yyear ymonth yday <<<"$(date -d yesterday '+%Y %-m %-d')"
printf '%s\r\n' "[LastProc]" "YR=$yyear" "MO=$ymonth" "DY=$yday" "HR=8" "MN=0" \
  "[Date]" "Ck=1" "Year=$year" "Month=$month" "Day=$day" "Hr=0" "Min=0" "Repeat=0" \
  "[Days]" "Ck=0" "[Monthly]" "Ck=0" "[SayTime]" "Ck=1" "[SayDay]" "Ck=0" "[PlayMP3]" "Ck=0" \
  "[Display]" "Ck=1" "[SayMsg]" "Ck=0" "[Open]" "Ck=1" \
  "[Reminder]" "Msg=Take the pills" "Open=$(wl_windows_path "$WL_DIR/open-me.bat")" "MP3=" \
  >"$reminders/Pills.ini"
wl_start "$instdir/orsivel.exe" >/dev/null
check "the editor starts" wl_wait 30 "the editor's window" editor_up
check "the editor starts the scheduler" wl_wait 30 "the scheduler's window" scheduler_up
check "the editor registers the scheduler at log-in, its path quoted" equals \
  "$(wl_reg_value "$run_key" Nelvora)" "\"$win_instdir\\Velmaro.exe\""
wl_probe close "" "Nelvora and Reminder" >/dev/null
check "the editor ends, the scheduler stays" wl_wait 30 "the editor to end" editor_down
check "... the scheduler stays" scheduler_up
box_shown() { wl_probe shown Nelvora; }
check "the reminder fires at the first tick: no voice, a box says so" \
  wl_wait 150 "the speech failure box" box_shown
check "the reminder is stamped today at 23:59" grep -q "^DY=$day"$'\r'"\?$" "$reminders/Pills.ini"
# The programs draw their own controls: their text is read as a user would copy it.
box_text=$(wl_probe copy Nelvora | tr -d '\r')
check "the box says why, in the program's words" grep -qF \
  'Nelvora was setup by you to have a "voice" reminder to say the time, however your pc does '\
'not support voice activation (Windows XP or later contain voice activation). Please use the '\
'other reminder option to display the time and message instead of saying it. The time is: ' \
  <<<"$box_text"
wl_probe close-shown Nelvora >/dev/null
message_shown() { wl_probe shown "Nelvora Reminder"; }
check "after the box the message window shows" wl_wait 30 "the message window" message_shown
message=$(wl_probe copy-field "Nelvora Reminder" | tr -d '\r')
# The text box starts with one empty line, so the first reminder after a start follows it.
check "the message window holds its empty line and the reminder's six lines" \
  equals "$(wc -l <<<"$message")" 7
check "... the first tells the moment" grep -q '^Reminder Message: .* (.*)$' <<<"$(sed -n 2p <<<"$message")"
check "... then the title and the message, between blank lines" equals \
  "$(sed -n '1p;3,7p' <<<"$message" | tr '\n' '|')" '| |Nelvora Reminder:| |Take the pills| |'
opened() { [ -f "$mark" ]; }
check "the reminder's file is opened" wl_wait 60 "the opened file's mark" opened
wl_probe close TForm1 Nelvora >/dev/null
check "a WM_CLOSE to the hidden window ends the scheduler" \
  wl_wait 30 "the scheduler to end" scheduler_down

step "a window of class TForm1 titled Nelvora counts as the running scheduler"
wl_start "$(wl_probe_exe)" pose TForm1 Nelvora >/dev/null
check "the stand-in window is up" wl_wait 30 "the stand-in" scheduler_up
wl_start "$instdir/orsivel.exe" >/dev/null
check "the editor starts beside it" wl_wait 30 "the editor's window" editor_up
wl_probe close "" "Nelvora and Reminder" >/dev/null
check "the editor ends" wl_wait 30 "the editor to end" editor_down
no_scheduler_process() { ! wl_probe process Velmaro.exe; }
check "... having started no scheduler" no_scheduler_process
wl_probe close TForm1 Nelvora >/dev/null
standin_gone() { ! wl_probe window TForm1 Nelvora >/dev/null; }
check "the stand-in ends" wl_wait 30 "the stand-in to end" standin_gone

step "upgrade while the scheduler runs"
wl_start "$instdir/Velmaro.exe" >/dev/null
check "the installed scheduler starts" wl_wait 30 "the scheduler's window" scheduler_up
before=$(scheduler_pid)
echo "tampered" >>"$instdir/index.html"
rm -f "$instdir/platforms/qwindows.dll"
t=$SECONDS
wl_install_silent "$installer"
check "silent upgrade ends with 0" equals "$?" 0
echo "     (upgrade took $((SECONDS - t)) s)"
check "the upgrade put back every file as staged" same_content
check "the upgrade ended the scheduler and started it again" \
  wl_wait 30 "a new scheduler" scheduler_replaced

step "uninstall while the editor runs"
wl_start "$instdir/orsivel.exe" >/dev/null
check "the installed editor starts" wl_wait 30 "the editor's window" editor_up
before=$(scheduler_pid)
t=$SECONDS
wl_uninstall_silent Nelvora
echo "     (refused uninstall took $((SECONDS - t)) s)"
check "the uninstall key stays" wl_reg_has "$key"
check "every file stays" same_files
check "the Start menu entry stays" test -f "$menu"
check "the uninstaller ended the scheduler, then started it again" \
  wl_wait 30 "a new scheduler" scheduler_replaced
before=$(scheduler_pid)
echo "changed by hand" >>"$instdir/index.html"
wl_install_silent "$installer"
check "a silent upgrade while the editor runs ends with 3 (in use)" equals "$?" 3
check "... and changes no file" grep -q "changed by hand" "$instdir/index.html"
check "... and leaves a scheduler running" wl_wait 30 "a new scheduler" scheduler_replaced
wl_probe close "" "Nelvora and Reminder" >/dev/null
check "the editor ends" wl_wait 30 "the editor to end" editor_down

step "silent uninstall"
wl_reg_set_sz "$run_key" Nelvora "\"$win_instdir\\Velmaro.exe\""
check "the Run value is there to remove" wl_reg_has "$run_key" Nelvora
mkdir -p "$roaming/Velmaro" "$local_app/Velmaro"
printf '[Reminder]\r\nMsg=kept\r\n' >"$roaming/Velmaro/Kept.ini"
printf '[FrmMsg]\r\nW=400\r\n' >"$local_app/Velmaro/Velmaro6.ini"
check "the scheduler runs before the uninstall" scheduler_up
t=$SECONDS
wl_uninstall_silent Nelvora
check "the uninstaller ran to its end" equals "$?" 0
check "the install is gone" wl_wait 30 "folder and key to go" uninstalled
echo "     (uninstall took $((SECONDS - t)) s)"
check "the install folder is gone" gone "$instdir"
check "the Start menu entry is gone" gone "$menu"
check "the uninstall key is gone" reg_gone "$key"
check "the Run value Nelvora is gone" reg_gone "$run_key" Nelvora
check "the scheduler was ended" scheduler_down
check "the reminders stay" grep -q '^Msg=kept' "$roaming/Velmaro/Kept.ini"
check "the window sizes stay" test -f "$local_app/Velmaro/Velmaro6.ini"

step "a Run value of another copy survives the uninstall"
wl_install_silent "$installer"
check "silent install again ends with 0" equals "$?" 0
wl_reg_set_sz "$run_key" Nelvora 'C:\Elsewhere\Velmaro.exe'
wl_uninstall_silent Nelvora
check "the install is gone again" wl_wait 30 "folder and key to go" uninstalled
check "the Run value of the other copy stays" equals "$(wl_reg_value "$run_key" Nelvora)" 'C:\Elsewhere\Velmaro.exe'

step "a file held open during the uninstall: the install stays listed until a second run"
wl_install_silent "$installer"
check "silent install once more ends with 0" equals "$?" 0
held="$win_instdir\\index.html"
# A copy under a name of its own, so that its end can be told from the probe's runs.
cp "$(wl_probe_exe)" "$WL_DIR/holder.exe"
wl_start "$WL_DIR/holder.exe" hold "$held" >/dev/null
holding() { wl_probe window winprobe "winprobe hold $held" >/dev/null; }
check "a file of the install is held open" wl_wait 30 "the holder's window" holding
wl_uninstall_silent Nelvora
check "the held file stays" test -f "$instdir/index.html"
check "the programs are gone" gone "$instdir/orsivel.exe"
check "the uninstall key stays" wl_reg_has "$key"
check "the uninstaller stays" test -f "$instdir/uninstall.exe"
check "the Start menu entry is gone" gone "$menu"
wl_probe close winprobe "winprobe hold $held" >/dev/null
holder_gone() { ! wl_probe process holder.exe; }
check "the file is let go" wl_wait 30 "the holder to end" holder_gone
wl_uninstall_silent Nelvora
check "a second uninstall finishes the job" wl_wait 30 "folder and key to go" uninstalled

echo "--- done in $((SECONDS - started)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
