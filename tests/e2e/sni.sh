# The tray on the StatusNotifierItem protocol: xfce4-panel with its notification area
# plugin in a private D-Bus session, no XEmbed tray host. The icon is looked for both on
# the bus (registered with the panel's watcher) and on the screen (drawn in the panel).

gdbus() { timeout 10 gdbus "$@"; }
import() { timeout 10 import "$@"; }

WATCHER=org.kde.StatusNotifierWatcher

# A session bus of our own; xfconfd, which serves the panel its settings, is started by
# it from the test's XDG_CONFIG_HOME.
start_session_bus() {
  local out=$E2E_TMP/bus
  dbus-daemon --session --fork --nopidfile --print-address=5 --print-pid=6 \
    5>"$out.address" 6>"$out.pid" || fail "no session bus"
  wait_until 5 test -s "$out.pid" || fail "the session bus did not start"
  E2E_PIDS+=($(cat "$out.pid"))
  export DBUS_SESSION_BUS_ADDRESS=$(head -1 "$out.address")
}

# One panel along the top holding only the notification area.
write_panel_config() {
  local dir=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml
  mkdir -p "$dir"
  cat > "$dir/xfce4-panel.xml" <<'EOF2'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="length" type="uint" value="100"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
EOF2
}

watcher_prop() { gdbus call --session --dest $WATCHER --object-path /StatusNotifierWatcher \
                   --method org.freedesktop.DBus.Properties.Get $WATCHER "$1" 2>/dev/null; }
host_registered() { watcher_prop IsStatusNotifierHostRegistered | grep -q true; }

start_xfce_panel() {
  write_panel_config
  xfce4-panel --disable-wm-check >"$E2E_TMP/panel.log" 2>&1 &
  PANEL_PID=$!
  E2E_PIDS+=($PANEL_PID)
  wait_until 20 host_registered || fail "the panel's notification area did not take the watcher"
  wait_until 10 eval 'PANEL_WIN=$(xdotool search --onlyvisible --class xfce4-panel 2>/dev/null | head -1); [ -n "$PANEL_WIN" ]' ||
    fail "no panel window"
}

# The registered items, one "bus-name/object-path" a line.
sni_items() { watcher_prop RegisteredStatusNotifierItems | grep -o "'[^']*'" | tr -d "'"; }

# Prints the bus name of the item the program registered (its process owns the name).
velmaro_item() {
  local entry name pid
  for entry in $(sni_items); do
    name=${entry%%/*}
    pid=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
            --method org.freedesktop.DBus.GetConnectionUnixProcessID "$name" 2>/dev/null |
          grep -o '[0-9]\+' | tail -1)
    [ "$pid" = "$VELMARO_PID" ] && { echo "$entry"; return 0; }
  done
  return 1
}
item_prop() {
  local entry; entry=$(velmaro_item) || return 1
  gdbus call --session --dest "${entry%%/*}" --object-path "/${entry#*/}" \
    --method org.freedesktop.DBus.Properties.Get org.kde.StatusNotifierItem "$1"
}

# Where the panel draws the icon: the middle of the pixels of its blue disc, "X Y" on
# the screen; fails when the panel shows none.
icon_in_panel() {
  eval "$(xdotool getwindowgeometry --shell "$PANEL_WIN" 2>/dev/null)" || return 1
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage -depth 8 "$E2E_TMP/panel.txt" 2>/dev/null || return 1
  awk -F'[ ,:()]+' -v ox="$X" -v oy="$Y" '
    NR > 1 {
      r = $3; g = $4; b = $5
      if (r < 0 || g < 0) next
      if (r >= 30 && r <= 65 && g >= 90 && g <= 130 && b >= 160 && b <= 200) {
        n++; sx += $1; sy += $2
      }
    }
    END { if (n < 20) exit 1; printf "%d %d\n", ox + sx / n, oy + sy / n }' "$E2E_TMP/panel.txt"
}
icon_drawn() { icon_in_panel >/dev/null; }
icon_not_drawn() { ! icon_drawn; }

# sni_menu_after_click BUTTON: clicks the drawn icon and prints the geometry of the menu
# that opened: the program's own (left click) or the one the panel draws from the menu
# the icon exports (right click).
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
new_menu() {
  local w
  for w in $(comm -13 <(echo "$1") <(visible_windows)); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)"
    [ "${WIDTH:-0}" -ge 40 ] && [ "${HEIGHT:-0}" -ge 16 ] && { echo "$w"; return 0; }
  done
  return 1
}
sni_menu_after_click() {
  local before menu at
  at=$(icon_in_panel) || fail "the panel shows no icon to click"
  before=$(visible_windows)
  xdotool mousemove $at click "$1"
  wait_until 5 eval 'menu=$(new_menu "$before")' || fail "no menu after click $1 on the panel's icon"
  xdotool getwindowgeometry --shell "$menu"
  echo "MENU=$menu"
}

# The labels of the menu the icon exports, top to bottom.
exported_menu() {
  local entry; entry=$(velmaro_item) || return 1
  gdbus call --session --dest "${entry%%/*}" --object-path "$(item_prop Menu | grep -o "/[^']*")" \
    --method com.canonical.dbusmenu.GetLayout -- 0 -1 '@as []' | grep -o "'label': <'[^']*'>" | sed "s/.*<'//; s/'>//"
}

scenario_sni() {
  for tool in xfce4-panel dbus-daemon gdbus import; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
  # Only the panel may host the icon: no XEmbed tray host beside it.
  kill "$TRAYER_PID"; wait "$TRAYER_PID" 2>/dev/null
  wait_until 5 eval '! tray_present' || fail "trayer stayed"
  start_session_bus
  start_xfce_panel
  icon_not_drawn || fail "the panel shows the icon before the program runs"

  mkdir -p "$XDG_CONFIG_HOME/autostart"
  printf '[Desktop Entry]\nType=Application\nName=Nelvora\nExec=/usr/bin/Velmaro\n' \
    > "$XDG_CONFIG_HOME/autostart/Nelvora.desktop"
  install_program with-editor
  start_velmaro
  wait_until 15 velmaro_item >/dev/null || fail "the icon was not registered with the watcher"
  note "registered as $(velmaro_item)"
  wait_until 10 icon_drawn || fail "the panel does not show the icon"
  [ -z "$(icon_windows)" ] || fail "the icon went to an XEmbed tray, not the watcher"
  expect_eq "$(item_prop Title)" "(<'Nelvora'>,)" "the item's title"
  item_prop ToolTip | grep -qF "'Nelvora and Reminder (Left-Click or Right-Click)'" ||
    fail "the tip: $(item_prop ToolTip)"

  # Left click: one item, which starts the editor.
  eval "$(sni_menu_after_click 1)"
  local left_menu=$MENU
  note "left menu ${WIDTH}x${HEIGHT}"
  [ "$HEIGHT" -ge 12 ] && [ "$HEIGHT" -lt 40 ] || fail "the left menu ($HEIGHT px) does not hold one item"
  click_at $(( X + WIDTH / 2 )) $(( Y + HEIGHT / 2 ))
  wait_until 5 editor_seen 1 || fail "the left menu's item did not start the editor"
  wait_until 5 eval '[ -z "$(program_windows | grep -x "$left_menu")" ]' || fail "the left menu stayed open"

  # Right click: the panel draws the exported menu; its upper item starts the editor.
  expect_eq "$(exported_menu | tr '\n' '|')" "Create or Edit Reminders|Disable Nelvora|" "the right-click menu"
  eval "$(sni_menu_after_click 3)"
  note "right menu ${WIDTH}x${HEIGHT}"
  local upper=$(( Y + HEIGHT / 4 + 1 )) lower=$(( Y + HEIGHT * 3 / 4 - 1 ))
  click_at $(( X + WIDTH / 2 )) "$upper"
  wait_until 5 editor_seen 2 || fail "the right menu's upper item did not start the editor"

  # "Disable Nelvora", No to both questions: out of start-up, still in the panel.
  eval "$(sni_menu_after_click 3)"
  click_at $(( X + WIDTH / 2 )) "$lower"
  answer_box Warning Escape
  answer_box Information Return
  [ ! -e "$XDG_CONFIG_HOME/autostart/Nelvora.desktop" ] || fail "autostart entry still there"
  answer_box Warning Escape
  sleep 1
  velmaro_running || fail "the program ended after No"
  velmaro_item >/dev/null || fail "the icon left the watcher after No"
  icon_drawn || fail "the icon left the panel after No"

  # Again, Yes to keep the start, then Yes: the icon leaves the panel and the program ends.
  eval "$(sni_menu_after_click 3)"
  click_at $(( X + WIDTH / 2 )) "$lower"
  answer_box Warning Return
  answer_box Warning Return
  wait_until 5 icon_not_drawn || fail "the icon stayed in the panel"
  local status=0
  wait_until 5 sh -c "! kill -0 $VELMARO_PID 2>/dev/null" || fail "the program did not end"
  wait "$VELMARO_PID" || status=$?
  expect_eq "$status" 0 "exit status"
  sni_items | grep -q . && fail "an item is still registered: $(sni_items)"
  return 0
}
