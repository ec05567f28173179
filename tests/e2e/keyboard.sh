# End-to-end: the editor driven by keys alone. A weekday reminder is created, modified,
# a second create is abandoned with "Go Back", and the reminder is deleted; no pointer
# moves or clicks at any step. Uses the editor helpers of editor.sh.

# no_notice_now: no box titled "Nelvora" is shown (a wrong-option box would be one).
no_notice_now() { ! shown_window Nelvora >/dev/null; }

# on_window TITLE: waits for that window and gives it the keyboard.
on_window() {
  local w; w=$(await_window "$1") || exit 1
  focus "$w"
  KEY_WINDOW=$w
}
# closes_now: the window keyed last has gone.
closes_now() { wait_until 5 window_closed "$KEY_WINDOW" || fail "window $KEY_WINDOW stayed open"; }

scenario_editor_keyboard() {
  # A Thursday: the Monday and Wednesday reminder is not due while the scenario runs.
  start_editor '2026-06-11 09:00:00'
  adopt_velmaro
  local file="$REMINDERS/Gym.ini"

  # Create: the list has the focus, "Create Reminder" is the next stop.
  on_window 'Nelvora and Reminder'
  keys Tab space
  on_window 'Enter Any Name'
  typed Gym
  keys Return
  closes_now
  # The page opens on the chosen date option; the arrow picks the weekday option, and
  # the next stops are the seven weekday boxes, the hour and the minute.
  on_window '"When" do you want this to occur?'
  keys Down
  keys Tab space Tab Tab space
  tabs 5
  set_field 18
  tabs 1
  set_field 45
  no_notice_now || fail "a wrong-option box came while the weekday time was typed"
  # On from the minute: "Example", the monthly four stops, "Go Back", the date hour,
  # minute, calendar and "Example" (the repeat box is hidden), "Continue".
  tabs 11
  keys space
  closes_now
  # The action page opens on its first box; the second is "Say the day of the week out
  # loud"; Return is "Done".
  on_window 'What "type" of reminder do you want to see?'
  keys Tab space Return
  closes_now
  ok_notice
  [ -f "$file" ] || fail "no reminder file after the create"
  expect_eq "$(ini_value "$file" Date Ck)/$(ini_value "$file" Days Ck)/$(ini_value "$file" Monthly Ck)" \
    0/1/0 "schedule flags"
  expect_eq "$(ini_value "$file" Days Mon)$(ini_value "$file" Days Tue)$(ini_value "$file" Days Wed)$(ini_value "$file" Days Sun)" \
    1010 "weekdays"
  expect_eq "$(ini_value "$file" Days Hr):$(ini_value "$file" Days Min)" 18:45 "weekday time"
  expect_eq "$(ini_value "$file" SayTime Ck)/$(ini_value "$file" SayDay Ck)" 0/1 "actions"

  # Modify: "Modify Reminder" follows "Create Reminder", which kept the focus. The page
  # opens on the loaded weekday option, so the hour is typed where it belongs.
  on_window 'Nelvora and Reminder'
  keys Tab space
  on_window '"When" do you want this to occur?'
  tabs 8
  set_field 7
  no_notice_now || fail "a wrong-option box came while the loaded reminder was changed"
  # The minute, then the eleven stops on to "Continue".
  tabs 12
  keys space
  closes_now
  on_window 'What "type" of reminder do you want to see?'
  keys Return
  closes_now
  ok_notice
  expect_eq "$(ini_value "$file" Days Ck)/$(ini_value "$file" Date Ck)" 1/0 "kind after the modify"
  expect_eq "$(ini_value "$file" Days Hr):$(ini_value "$file" Days Min)" 7:45 "time after the modify"

  # A second create left with "Go Back": back to "Create Reminder", a name, and from the
  # date option round the weekday and monthly groups to "Go Back".
  on_window 'Nelvora and Reminder'
  keys shift+Tab space
  on_window 'Enter Any Name'
  typed Spare
  keys Return
  closes_now
  on_window '"When" do you want this to occur?'
  tabs 15
  keys space
  closes_now
  sleep 0.5
  no_notice_now || fail "Go Back showed a box"
  [ -e "$REMINDERS/Spare.ini" ] && fail "Go Back saved a reminder"

  # Delete: two stops on from "Create Reminder"; Return is Yes in the question.
  on_window 'Nelvora and Reminder'
  keys Tab Tab space
  answer_box Warning Return
  wait_until 5 eval '[ ! -e "$file" ]' || fail "the reminder file is still there after the delete"
  no_notice_now || fail "the delete showed a notice"
  kill -0 "$EDITOR_PID" 2>/dev/null || fail "the editor ended"
}
