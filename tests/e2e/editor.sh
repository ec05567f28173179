# End-to-end scenarios of the editor: reminders made through its real windows with
# keystrokes, then fired by the resident program that the editor started itself.
# The windows are found by title; their controls are reached in their keyboard order.

# Both real programs side by side, as installed.
install_editor() {
  [ -n "${ORSIVEL:-}" ] && [ -x "$ORSIVEL" ] || { echo "SKIP: no editor executable given"; exit 77; }
  PROGRAM_DIR=$E2E_TMP/program
  mkdir -p "$PROGRAM_DIR"
  cp "$VELMARO" "$PROGRAM_DIR/Velmaro"
  cp "$ORSIVEL" "$PROGRAM_DIR/orsivel"
}

# pids_of NAME: the processes running our copy of NAME.
pids_of() {
  local p
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/exe" 2>/dev/null)" = "$PROGRAM_DIR/$1" ] && echo "${p#/proc/}"
  done
  return 0
}

# start_editor MOMENT: the editor under faked time, MOMENT ('2026-12-31 23:20:00') running
# 60 times fast. It starts the resident program, which inherits the faked time.
start_editor() {
  install_editor
  FAKE_EPOCH=$(date -u -d "$1" +%s) || fail "bad moment '$1'"
  faketime -f "@$1 x60" "$PROGRAM_DIR/orsivel" >"$E2E_TMP/orsivel.log" 2>&1 &
  E2E_PIDS+=($!)
  wait_until 10 eval '[ -n "$(pids_of orsivel)" ]' || fail "the editor did not start"
  EDITOR_PID=$(pids_of orsivel | head -1)
  E2E_PIDS+=($EDITOR_PID)
}

# Records the resident program the editor started, so the scenario can watch and end it.
adopt_velmaro() {
  wait_until 10 eval '[ -n "$(pids_of Velmaro)" ]' || fail "the editor did not start the resident program"
  [ "$(pids_of Velmaro | wc -l)" -eq 1 ] || fail "more than one resident program runs"
  VELMARO_PID=$(pids_of Velmaro)
  E2E_PIDS+=($VELMARO_PID)
}

# faked_epoch PID: the faked clock of a process, in seconds. Every process under faketime
# starts the faked moment at its own start, so the clock follows from its start time.
faked_epoch() {
  local stat start up
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  start=$(echo "${stat##*) }" | awk '{ print $20 }')
  read -r up _ < /proc/uptime
  awk -v s="$start" -v hz="$(getconf CLK_TCK)" -v up="$up" -v base="$FAKE_EPOCH" \
    'BEGIN { printf "%d\n", base + (up - s / hz) * 60 }'
}

# regex_quote TEXT: a pattern that matches TEXT only (titles hold quotes and "?").
regex_quote() { printf '%s' "$1" | sed 's/[][\.*^$?+(){}|]/\\&/g'; }

# shown_window TITLE: the visible window with exactly that title, tray icons and Qt's
# hidden 1x1 helper windows (also titled "Nelvora") left out.
shown_window() {
  local w
  for w in $(xdotool search --onlyvisible --name "^$(regex_quote "$1")\$" 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    [ "${WIDTH:-0}" -ge 60 ] && { echo "$w"; return 0; }
  done
  return 1
}

# await_window TITLE: prints the id of that window once it is shown.
await_window() {
  wait_until 10 shown_window "$1" >/dev/null || fail "no window '$1'"
  shown_window "$1"
}

# focus WINDOW: keys typed afterwards go to it. Without a window manager nothing else
# moves the input focus, so it stays there.
focus() {
  local try
  for try in 1 2 3 4 5; do
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    sleep 0.2
  done
  fail "window $1 did not take the focus"
}

keys() { xdotool key --delay 40 "$@"; }
typed() { xdotool type --delay 40 "$1"; }
# tabs N: moves the keyboard focus N controls on.
tabs() { local i; for (( i = 0; i < $1; i++ )); do keys Tab; done; }
# set_field TEXT: replaces the text of the focused numeric field.
set_field() { keys ctrl+a; typed "$1"; }

# ok_notice: the editor's notice (a box titled "Nelvora") comes; Return closes it. Its
# text cannot be read from outside, so the scenarios check what it reports instead.
ok_notice() {
  local box
  box=$(await_window Nelvora) || exit 1
  focus "$box"
  keys Return
  wait_until 5 window_closed "$box" || fail "the notice did not close"
}

# create_reminder NAME SCHEDULE-STEP MESSAGE: "Create Reminder", the name, the schedule
# page (SCHEDULE-STEP is called with its window focused and no control focused yet), then
# the display action with MESSAGE, and "Done".
create_reminder() {
  local main name when what prompt
  main=$(await_window 'Nelvora and Reminder') || exit 1
  focus "$main"
  # The list has the focus when the window opens; "Create Reminder" comes next.
  keys Tab space
  name=$(await_window 'Enter Any Name') || exit 1
  focus "$name"
  typed "$1"
  keys Return
  wait_until 5 window_closed "$name" || fail "the name dialog stayed open"

  when=$(await_window '"When" do you want this to occur?') || exit 1
  focus "$when"
  "$2"
  keys space
  wait_until 5 window_closed "$when" || fail "the schedule page stayed open"

  what=$(await_window 'What "type" of reminder do you want to see?') || exit 1
  focus "$what"
  # From "Say the time out loud": the display box, then "Type Your Own Message".
  tabs 3
  keys space
  tabs 2
  keys space
  prompt=$(await_window 'Reminder Message') || exit 1
  focus "$prompt"
  typed "$3"
  keys Return
  wait_until 5 window_closed "$prompt" || fail "the message prompt stayed open"
  focus "$what"
  # From "Type Your Own Message" on to "Done".
  tabs 4
  keys space
  wait_until 5 window_closed "$what" || fail "the action page stayed open after Done"
}

# message_text: the text of the fired message window, copied out of Memo1.
message_text() {
  local win; win=$(await_window 'Nelvora Reminder') || exit 1
  focus "$win"
  # A click puts the cursor in the text box (at 5,5 in the window) without changing it.
  xdotool mousemove --window "$win" 60 40 click 1
  keys ctrl+a ctrl+c
  sleep 0.3
  xclip -o -selection clipboard 2>/dev/null
}

# watch_fire DUE-EPOCH: waits for the message window and fails when it comes while
# the resident clock is still before DUE-EPOCH. Prints the resident clock when it came.
watch_fire() {
  local now i
  for (( i = 0; i < 600; i++ )); do
    now=$(faked_epoch "$VELMARO_PID") || fail "the resident program ended"
    if shown_window 'Nelvora Reminder' >/dev/null; then
      # Some slack for reading the clock from the process's start time.
      [ "$now" -ge $(( $1 - 5 )) ] ||
        fail "the message window came at $(date -u -d "@$now" '+%H:%M:%S'), before the due minute"
      echo "$now"
      return 0
    fi
    [ "$now" -gt $(( $1 + 180 )) ] && fail "no message window three minutes after the due minute"
    sleep 0.1
  done
  fail "no message window"
}

# due_after PID MINUTES: the faked minute MINUTES on from the process's clock, as
# "EPOCH HOUR MINUTE" (always within the faked start day).
due_after() {
  local e; e=$(faked_epoch "$1") || fail "process $1 ended"
  e=$(( (e / 60 + $2) * 60 ))
  echo "$e $(date -u -d "@$e" '+%-H %-M')"
}

# The date reminder: today's date (the calendar's), the time set below.
date_schedule() {
  # Keyboard order: weekday group (10 stops), monthly group (4), "Go Back", then the date
  # hour. The date option is already selected by the flow.
  tabs 16
  set_field "$DUE_HOUR"
  tabs 1
  set_field "$DUE_MIN"
  # Calendar, repeat box, "Example", "Continue".
  tabs 4
}

scenario_editor_create() {
  start_editor '2026-12-31 23:20:00'
  adopt_velmaro
  wait_until 5 "$PRESENCE_PROBE" || fail "the resident program holds no presence marker"
  wait_until 10 icon_shown || fail "no tray icon"
  [ -f "$XDG_CONFIG_HOME/autostart/Nelvora.desktop" ] || fail "the editor wrote no autostart entry"

  # Due a few faked minutes after the schedule page is filled in: the rest of the flow
  # takes a few real seconds, a faked minute each.
  local due
  read -r due DUE_HOUR DUE_MIN <<< "$(due_after "$EDITOR_PID" 12)"
  [ -n "${DUE_MIN:-}" ] || exit 1
  note "due at $DUE_HOUR:$(printf %02d "$DUE_MIN")"
  create_reminder 'Tea time' date_schedule 'Put the kettle on'
  ok_notice

  local file="$REMINDERS/Tea time.ini"
  [ -f "$file" ] || fail "no reminder file"
  expect_eq "$(ini_value "$file" Date Ck)/$(ini_value "$file" Days Ck)/$(ini_value "$file" Monthly Ck)" \
    1/0/0 "schedule flags"
  expect_eq "$(ini_value "$file" Date Year)-$(ini_value "$file" Date Month)-$(ini_value "$file" Date Day) $(ini_value "$file" Date Hr):$(ini_value "$file" Date Min)" \
    "2026-12-31 $DUE_HOUR:$DUE_MIN" "date and time saved"
  expect_eq "$(ini_value "$file" Date Repeat)" 0 "yearly repeat"
  expect_eq "$(ini_value "$file" Display Ck)/$(ini_value "$file" SayMsg Ck)" 1/0 "display and say flags"
  expect_eq "$(ini_value "$file" Reminder Msg)" 'Put the kettle on' "saved message"
  # The save stamps the editor's own minute, which must lie before the due minute.
  local saved
  saved=$(( $(date -u -d "$(ini_value "$file" LastProc YR)-$(ini_value "$file" LastProc MO)-$(ini_value "$file" LastProc DY) $(ini_value "$file" LastProc HR):$(ini_value "$file" LastProc MN)" +%s) ))
  [ "$saved" -lt "$due" ] || fail "the flow took too long: saved at $(date -u -d "@$saved" +%H:%M), due $DUE_HOUR:$DUE_MIN"
  shown_window 'Nelvora Reminder' >/dev/null && fail "the message window is there before the due minute"

  local seen; seen=$(watch_fire "$due") || exit 1
  note "message window at $(date -u -d "@$seen" +%H:%M:%S) (resident clock)"
  expect_stamp "$file" 2026 12 31 23 59
  expect_eq "$(ini_value "$file" Date Year)" 2026 "year of a reminder without repeat"

  local text; text=$(message_text) || exit 1
  local clock; clock=$(date -u -d "@$due" '+%I:%M %p')
  grep -q "^Reminder Message: .* ($clock)\$" <<< "$text" ||
    fail "the message window does not name the due minute $clock: $(tr '\n' '|' <<< "$text")"
  grep -qx 'Nelvora Reminder:' <<< "$text" || fail "no heading line in the message window"
  grep -qx 'Put the kettle on' <<< "$text" || fail "the message is not in the message window: $(tr '\n' '|' <<< "$text")"

  # Later ticks of the same day leave it alone: still one message in the window.
  sleep 4
  text=$(message_text) || exit 1
  expect_eq "$(grep -c '^Reminder Message: ' <<< "$text")" 1 "messages after more ticks"
  expect_stamp "$file" 2026 12 31 23 59
  velmaro_running || fail "the resident program ended"
  kill -0 "$EDITOR_PID" 2>/dev/null || fail "the editor ended"
}

# The monthly reminder: day 15, the time set below.
monthly_schedule() {
  # The first stop is the weekday group; going back from it reaches the selected option,
  # and the arrows move the selection down to the monthly option.
  keys Tab shift+Tab Down Down
  # Round to the weekday group, then its 10 stops: the monthly hour, minute and day.
  tabs 11
  set_field "$DUE_HOUR"
  tabs 1
  set_field "$DUE_MIN"
  tabs 1
  set_field 15
  # "Example", "Go Back", date hour, date minute, calendar, "Example" (the repeat box is
  # hidden), "Continue".
  tabs 7
}

scenario_editor_monthly() {
  start_editor '2026-12-15 08:30:00'
  adopt_velmaro
  wait_until 10 icon_shown || fail "no tray icon"

  local due
  read -r due DUE_HOUR DUE_MIN <<< "$(due_after "$EDITOR_PID" 14)"
  [ -n "${DUE_MIN:-}" ] || exit 1
  note "due on the 15th at $DUE_HOUR:$(printf %02d "$DUE_MIN")"
  create_reminder 'Pay the rent' monthly_schedule 'Rent is due today'
  ok_notice

  local file="$REMINDERS/Pay the rent.ini"
  [ -f "$file" ] || fail "no reminder file"
  expect_eq "$(ini_value "$file" Date Ck)/$(ini_value "$file" Days Ck)/$(ini_value "$file" Monthly Ck)" \
    0/0/1 "schedule flags"
  # The first month is the current one: the 15th's time still lies ahead.
  expect_eq "$(ini_value "$file" Monthly Year)/$(ini_value "$file" Monthly Month) $(ini_value "$file" Monthly Day) $(ini_value "$file" Monthly Hr):$(ini_value "$file" Monthly Min)" \
    "2026/12 15 $DUE_HOUR:$DUE_MIN" "monthly schedule saved"
  expect_eq "$(ini_value "$file" LastProc YR)/$(ini_value "$file" LastProc MO)/$(ini_value "$file" LastProc DY)" \
    2026/12/15 "save day"

  local seen; seen=$(watch_fire "$due") || exit 1
  note "message window at $(date -u -d "@$seen" +%H:%M:%S) (resident clock)"
  expect_stamp "$file" 2026 12 15 23 59
  expect_eq "$(ini_value "$file" Monthly Year)/$(ini_value "$file" Monthly Month)" 2027/1 "next month"
  expect_eq "$(ini_value "$file" Monthly Day) $(ini_value "$file" Monthly Hr):$(ini_value "$file" Monthly Min)" \
    "15 $DUE_HOUR:$DUE_MIN" "day and time after the advance"
  local text; text=$(message_text) || exit 1
  grep -qx 'Rent is due today' <<< "$text" || fail "the message is not in the message window: $(tr '\n' '|' <<< "$text")"
  grep -q "^Reminder Message: .* ($(date -u -d "@$due" '+%I:%M %p'))\$" <<< "$text" ||
    fail "the message window does not name the due minute: $(tr '\n' '|' <<< "$text")"

  # More ticks that day change nothing.
  sleep 3
  expect_eq "$(ini_value "$file" Monthly Year)/$(ini_value "$file" Monthly Month)" 2027/1 "month after more ticks"

  # Next month: a resident program started on 15 January just before the time fires it
  # again and moves it on to February.
  kill "$VELMARO_PID"; wait_until 5 sh -c "! kill -0 $VELMARO_PID 2>/dev/null" || fail "the resident program did not end"
  local jan; jan=$(date -u -d "@$(( due - 90 ))" '+%H:%M:%S')
  start_velmaro "@2027-01-15 $jan x60"
  wait_until 15 eval '[ "$(ini_value "$file" Monthly Month)" = 2 ]' || fail "no firing on 15 January"
  expect_eq "$(ini_value "$file" Monthly Year)" 2027 "year after January"
  expect_stamp "$file" 2027 1 15 23 59
  wait_until 5 shown_window 'Nelvora Reminder' >/dev/null || fail "no message window in January"
}
