# The end-to-end scenarios; run.sh calls scenario_<name> with a display, a tray host and
# a private home ready.

# mark_script NAME: an executable script that appends a line to $E2E_TMP/NAME.mark.
mark_script() {
  printf '#!/bin/sh\necho fired >> "%s"\n' "$E2E_TMP/$1.mark" > "$E2E_TMP/$1.sh"
  chmod +x "$E2E_TMP/$1.sh"
  echo "$E2E_TMP/$1.sh"
}
mark_count() { [ -f "$E2E_TMP/$1.mark" ] && wc -l < "$E2E_TMP/$1.mark" || echo 0; }
mark_seen() { [ "$(mark_count "$1")" -ge 1 ]; }

expect_stamp() { # FILE Y M D H MIN
  local got
  got="$(ini_value "$1" LastProc YR)/$(ini_value "$1" LastProc MO)/$(ini_value "$1" LastProc DY) $(ini_value "$1" LastProc HR):$(ini_value "$1" LastProc MN)"
  expect_eq "$got" "$2/$3/$4 $5:$6" "LastProc of $(basename "$1")"
}

scenario_fire() {
  local script; script=$(mark_script open)
  write_reminder Standup <<EOF2
[LastProc]
YR=2026
MO=6
DY=1
HR=8
MN=0
AM=1
PM=0
[Date]
Ck=1
Year=2026
Month=6
Day=10
Hr=10
Min=0
Repeat=1
[Days]
Ck=0
[Monthly]
Ck=0
[SayTime]
Ck=0
[SayDay]
Ck=0
[PlayMP3]
Ck=0
[Display]
Ck=1
[SayMsg]
Ck=0
[Open]
Ck=1
[Reminder]
Msg=Stand-up in room 4
Open=$script
MP3=
EOF2
  # One faked minute passes each real second; the 10:00 tick comes about 2 s in.
  start_velmaro '@2026-06-10 09:58:30 x60'
  wait_until 15 mark_seen open || fail "the open action did not run"
  local file=$REMINDERS/Standup.ini
  expect_stamp "$file" 2026 6 10 23 59
  expect_eq "$(ini_value "$file" Date Year)" 2027 "yearly reminder's next year"
  wait_until 5 eval '[ -n "$(window_named "Nelvora Reminder")" ]' || fail "no message window"
  # Further ticks of the same day leave it alone.
  sleep 6
  expect_eq "$(mark_count open)" 1 "times the reminder fired"
  expect_eq "$(ini_value "$file" Date Year)" 2027 "next year after more ticks"
  velmaro_running || fail "the program ended"
}

scenario_weekday() {
  local wed thu
  wed=$(mark_script wednesday)
  thu=$(mark_script thursday)
  # 10 June 2026 is a Wednesday.
  weekday_reminder OnWednesday Wed 10 1 "$wed"
  weekday_reminder OnThursday Thu 9 0 "$thu"
  start_velmaro '@2026-06-10 09:59:30 x60'
  wait_until 15 mark_seen wednesday || fail "the Wednesday reminder did not fire"
  expect_stamp "$REMINDERS/OnWednesday.ini" 2026 6 10 23 59
  sleep 6
  expect_eq "$(mark_count wednesday)" 1 "times the Wednesday reminder fired"
  expect_eq "$(mark_count thursday)" 0 "times the Thursday reminder fired"
  expect_stamp "$REMINDERS/OnThursday.ini" 2026 6 9 18 30
}

# menu_after_click BUTTON: clicks the icon and prints the geometry of the menu that opened.
menu_after_click() {
  local before menu
  before=$(program_windows)
  click_icon "$1"
  wait_until 5 eval '[ -n "$(new_window "$before")" ]' || fail "no menu after click $1"
  menu=$(new_window "$before")
  xdotool getwindowgeometry --shell "$menu"
  echo "MENU=$menu"
}

# click_at X Y
click_at() { xdotool mousemove "$1" "$2" click 1; }

# answer_box TITLE KEY: waits for the box and presses KEY in it (Escape = No, Return = default).
answer_box() {
  local box title=$1
  wait_until 5 eval '[ -n "$(window_named "$title")" ]' || fail "no '$1' box"
  box=$(window_named "$1")
  key_until_closed "$box" "$2" || fail "the '$1' box did not close on $2"
}

editor_seen() { [ "$(grep -c . "$E2E_TMP/editor.mark" 2>/dev/null)" -ge "$1" ]; }

scenario_menus() {
  install_program with-editor
  start_velmaro
  wait_until 10 icon_shown || fail "no tray icon"

  eval "$(menu_after_click 1)"
  local left_h=$HEIGHT left_menu=$MENU
  note "left menu ${WIDTH}x${HEIGHT}"
  # Its only item starts the editor.
  click_at $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 2 ))
  wait_until 5 editor_seen 1 || fail "the left menu's item did not start the editor"
  wait_until 5 eval '[ -z "$(xdotool search --onlyvisible --classname Velmaro 2>/dev/null | grep -x "$left_menu")" ]' ||
    fail "the left menu stayed open"

  eval "$(menu_after_click 3)"
  local right_h=$HEIGHT
  note "right menu ${WIDTH}x${HEIGHT}"
  # Two items of the same height as the left menu's one.
  local item=$(( right_h - left_h ))
  [ "$item" -ge 12 ] && [ $(( left_h - item )) -lt "$item" ] ||
    fail "right menu ($right_h px) does not hold exactly one item more than the left ($left_h px)"
  # The lower item is "Disable Nelvora": it asks the first question. No, OK, No: still running.
  click_at $(( X + WIDTH / 2 )) $(( Y + HEIGHT - item / 2 - 2 ))
  answer_box Warning Escape
  answer_box Information Return
  answer_box Warning Escape
  sleep 1
  velmaro_running || fail "the program ended after No"
  icon_shown || fail "the icon went away after No"
  # The upper item starts the editor.
  eval "$(menu_after_click 3)"
  click_at $(( X + WIDTH / 2 )) $(( Y + item / 2 + 2 ))
  wait_until 5 editor_seen 2 || fail "the right menu's upper item did not start the editor"
}

scenario_disable() {
  mkdir -p "$XDG_CONFIG_HOME/autostart"
  printf '[Desktop Entry]\nType=Application\nName=Nelvora\nExec=/usr/bin/Velmaro\n' \
    > "$XDG_CONFIG_HOME/autostart/Nelvora.desktop"
  start_velmaro
  wait_until 10 icon_shown || fail "no tray icon"
  eval "$(menu_after_click 3)"
  click_at $(( X + WIDTH / 2 )) $(( Y + HEIGHT * 3 / 4 ))
  answer_box Warning Escape          # No: take it out of start-up
  answer_box Information Return      # the success message
  [ ! -e "$XDG_CONFIG_HOME/autostart/Nelvora.desktop" ] || fail "autostart entry still there"
  answer_box Warning Return          # Yes: leave the tray
  wait_until 5 icon_gone || fail "the icon stayed"
  local status=0
  wait_until 5 sh -c "! kill -0 $VELMARO_PID 2>/dev/null" || fail "the program did not end"
  wait "$VELMARO_PID" || status=$?
  expect_eq "$status" 0 "exit status"
}

two_icons() { [ "$(icon_windows | wc -l)" -eq 2 ]; }

scenario_presence() {
  "$PRESENCE_PROBE" && fail "marker seen before the program runs"
  start_velmaro
  wait_until 10 icon_shown || fail "no tray icon"
  wait_until 5 "$PRESENCE_PROBE" || fail "marker not seen while the program runs"
  local first=$VELMARO_PID
  # A second copy started by hand runs too, with its own icon.
  start_velmaro
  local second=$VELMARO_PID
  wait_until 10 two_icons ||
    fail "the second copy shows no icon"
  kill -0 "$second" || fail "the second copy ended"
  "$PRESENCE_PROBE" || fail "marker lost with two copies"
  kill -9 "$first" "$second"
  wait "$first" "$second" 2>/dev/null
  "$PRESENCE_PROBE" && fail "marker still seen after the program was killed"
  return 0
}

scenario_signals() {
  local sig status
  for sig in TERM INT HUP; do
    start_velmaro
    wait_until 10 icon_shown || fail "no tray icon"
    kill -s "$sig" "$VELMARO_PID"
    wait_until 5 icon_gone || fail "the icon stayed after SIG$sig"
    status=0
    wait "$VELMARO_PID" || status=$?
    expect_eq "$status" 0 "exit status after SIG$sig"
  done

  # Ended while a box of a tick is open: neither the rest of that reminder's actions nor
  # the next reminder runs once the box is gone.
  local open name
  open=$(mark_script open)
  for name in Pills Drops; do
    weekday_reminder "$name" Wed 9 1 "$open"
    sed -i -e '/^\[PlayMP3\]/{n;s/.*/Ck=1/}' -e 's|^MP3=$|MP3=/nonexistent/alarm.ogg|' "$REMINDERS/$name.ini"
  done
  start_velmaro '@2026-06-10 09:00:30 x60'
  wait_until 15 nelvora_box || fail "no box for the missing audio file"
  # faketime runs the program as its child and passes on its exit status.
  kill -TERM "$(pgrep -P "$VELMARO_PID")" || fail "no program under faketime"
  wait_until 5 sh -c "! kill -0 $VELMARO_PID 2>/dev/null" || fail "the program did not end inside its box"
  status=0
  wait "$VELMARO_PID" || status=$?
  expect_eq "$status" 0 "exit status after SIGTERM inside a box"
  sleep 1
  expect_eq "$(mark_count open)" 0 "files opened after the close"
  expect_eq "$(grep -lx 'DY=10' "$REMINDERS"/*.ini | wc -l)" 1 "reminders stamped"
}

scenario_trayhost() {
  # No tray host when the program starts, as early at log-in.
  kill "$TRAYER_PID"; wait "$TRAYER_PID" 2>/dev/null
  wait_until 5 eval '! tray_present' || fail "trayer stayed"
  start_velmaro
  sleep 2
  icon_shown && fail "an icon without a tray host"
  start_trayer || fail "trayer did not start again"
  wait_until 15 icon_shown || fail "the icon did not come when the tray host appeared"
  # The tray host restarts.
  kill "$TRAYER_PID"; wait "$TRAYER_PID" 2>/dev/null
  wait_until 5 icon_gone || fail "the icon outlived its tray host"
  start_trayer || fail "trayer did not start again"
  wait_until 15 icon_shown || fail "the icon did not come back after the tray host restarted"
  velmaro_running || fail "the program ended"
}

# Not a ctest test: prints the resident footprint with 100 reminders (about 4 minutes).
# bash run.sh footprint <Velmaro>
scenario_footprint() {
  local i
  for (( i = 0; i < 100; i++ )); do
    printf '[LastProc]\nYR=2026\nMO=1\nDY=1\nHR=8\nMN=0\n[Date]\nCk=1\nYear=2030\nMonth=6\nDay=10\nHr=10\nMin=0\nRepeat=1\n[Days]\nCk=0\n[Display]\nCk=1\n[Reminder]\nMsg=Reminder %d\n' "$i" \
      > "$REMINDERS/Reminder $i.ini"
  done
  start_velmaro
  wait_until 10 icon_shown || fail "no tray icon"
  sleep 60
  note "VmRSS after a minute: $(awk '/^VmRSS/ {print $2, $3}' /proc/$VELMARO_PID/status)"
  note "threads: $(ls /proc/$VELMARO_PID/task | wc -l)"
  switches() { cat /proc/$VELMARO_PID/task/*/status | awk '/^voluntary_ctxt_switches/ {n += $2} END {print n}'; }
  local before after
  before=$(switches)
  sleep 180
  after=$(switches)
  note "voluntary context switches over 180 s (all threads): $(( after - before ))"
  for t in /proc/$VELMARO_PID/task/*; do
    note "  thread $(cat $t/comm): $(awk '/^voluntary_ctxt_switches/ {print $2}' $t/status)"
  done
  note "VmRSS at the end: $(awk '/^VmRSS/ {print $2, $3}' /proc/$VELMARO_PID/status)"
}
