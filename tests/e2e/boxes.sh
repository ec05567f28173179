# Boxes left open while the minute tick goes on: reminders due meanwhile fire in their own
# minute, and the reminder whose box is open does not fire again.

# stamp_script NAME: a script that appends the machine's uptime to $E2E_TMP/NAME.mark. The
# uptime is read from /proc, which faked time leaves alone, so the moment of an action can
# be told in faked time from the moment the program started.
stamp_script() {
  printf '#!/bin/sh\nread up rest < /proc/uptime\necho "$up" >> "%s"\n' "$E2E_TMP/$1.mark" > "$E2E_TMP/$1.sh"
  chmod +x "$E2E_TMP/$1.sh"
  echo "$E2E_TMP/$1.sh"
}
uptime_now() { cut -d' ' -f1 /proc/uptime; }
# Faked seconds since the program's start, at the uptime given: x60, from $BOXES_T0.
faked_seconds() { awk -v u="$1" -v t="$BOXES_T0" 'BEGIN { printf "%d", (u - t) * 60 }'; }
faked_minute_now() { echo $(( $(faked_seconds "$(uptime_now)") / 60 )); }

# wednesday_reminder NAME HR MIN OPEN-PATH: a reminder for Wednesday 10 June 2026 that opens a file.
wednesday_reminder() { weekday_reminder "$1" Wed "$2" "$3" "$4" 0; }

# The program's own box (caption "Nelvora"), not its tray icon of the same name.
nelvora_box() {
  local w
  for w in $(xdotool search --onlyvisible --name '^Nelvora$' 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    [ "${WIDTH:-0}" -ge 100 ] && [ "${HEIGHT:-0}" -ge 60 ] && { echo "$w"; return 0; }
  done
  return 1
}

# expect_fired_in_minute NAME DUE-MINUTE-AFTER-09:00: once, in its own minute; prints the delay.
expect_fired_in_minute() {
  expect_eq "$(mark_count "$1")" 1 "times $1 fired"
  local s; s=$(faked_seconds "$(head -1 "$E2E_TMP/$1.mark")")
  local delay=$(( s - $2 * 60 ))
  note "$1 due 09:$(printf %02d "$2") acted at 09:$(printf %02d $(( s / 60 ))):$(printf %02d $(( s % 60 ))) (faked), ${delay} s after its minute began"
  [ "$delay" -ge 0 ] && [ "$delay" -lt 60 ] || fail "$1 did not act in its own minute (${delay} s late)"
}

scenario_boxes() {
  local first second third fourth
  first=$(stamp_script first); second=$(stamp_script second)
  third=$(stamp_script third); fourth=$(stamp_script fourth)
  # 09:01: the file to open is missing, so a box opens inside that tick and stays open.
  wednesday_reminder Missing 9 1 /nonexistent/agenda.pdf
  wednesday_reminder First 9 3 "$first"
  wednesday_reminder Second 9 6 "$second"
  wednesday_reminder Third 9 9 "$third"
  BOXES_T0=$(uptime_now)
  start_velmaro '@2026-06-10 09:00:00 x60'
  wait_until 15 nelvora_box || fail "no box for the missing file"
  local box; box=$(nelvora_box)
  note "box opened at faked minute 09:$(printf %02d "$(faked_minute_now)")"
  # Left open for ten faked minutes.
  wait_until 20 eval '[ "$(faked_minute_now)" -ge 11 ]' || fail "time did not move"
  [ "$(nelvora_box)" = "$box" ] || fail "the box did not stay open"
  expect_fired_in_minute first 3
  expect_fired_in_minute second 6
  expect_fired_in_minute third 9
  key_until_closed "$box" Return || fail "the box did not close on Return"
  sleep 2
  nelvora_box >/dev/null && fail "the missing file's box came again"
  for m in first second third; do expect_eq "$(mark_count $m)" 1 "times $m fired after the box"; done

  # The questions of the disable flow hold nothing back either.
  eval "$(menu_after_click 3)"
  click_at $(( X + WIDTH / 2 )) $(( Y + HEIGHT * 3 / 4 ))
  wait_until 5 eval '[ -n "$(window_named Warning)" ]' || fail "no first question"
  local due=$(( $(faked_minute_now) + 2 ))
  wednesday_reminder Fourth 9 "$due" "$fourth"
  wait_until 10 eval '[ "$(faked_minute_now)" -ge $(( due + 2 )) ]' || fail "time did not move"
  [ -n "$(window_named Warning)" ] || fail "the first question did not stay open"
  expect_fired_in_minute fourth "$due"
  answer_box Warning Escape       # No: take it out of start-up
  answer_box Information Return   # there was nothing to remove
  answer_box Warning Escape       # No: stay in the tray
  velmaro_running || fail "the program ended"
}
