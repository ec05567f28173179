"""The editor as a screen reader meets it: names, roles, the numeric fields' range and
steps, and a modify done through the accessibility interface alone, checked in the saved
file. editor_a11y.py ORSIVEL REMINDER-FOLDER (on a session bus and display of its own)."""

import configparser
import os
import subprocess
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

warnings.simplefilter("ignore", DeprecationWarning)

orsivel, folder = sys.argv[1], sys.argv[2]
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what, file=sys.stderr)
    return ok


def wait_for(find, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            found = find()
        except GLib.Error:
            found = None
        if found:
            return found
        time.sleep(0.1)
    return None


def descendants(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is None:
            continue
        yield child
        yield from descendants(child)


def first(node, role=None, name=None):
    for d in descendants(node):
        if (role is None or d.get_role() == role) and (name is None or d.get_name() == name):
            return d
    return None


def text_of(node):
    return Atspi.Text.get_text(node, 0, -1)


def labels(panel):
    return [d.get_name() for d in descendants(panel) if d.get_role() == Atspi.Role.LABEL]


def act(node, action):
    names = [Atspi.Action.get_action_name(node, i) for i in range(Atspi.Action.get_n_actions(node))]
    if not check(action in names, f"{node.get_name()!r} offers {action}: {names}"):
        return
    Atspi.Action.do_action(node, names.index(action))


def unnamed_controls(window):
    controls = {Atspi.Role.PUSH_BUTTON, Atspi.Role.CHECK_BOX, Atspi.Role.RADIO_BUTTON,
                Atspi.Role.SPIN_BUTTON, Atspi.Role.LIST, Atspi.Role.TABLE, Atspi.Role.TEXT,
                Atspi.Role.ENTRY, Atspi.Role.COMBO_BOX, Atspi.Role.SLIDER}
    return [d.get_role_name() for d in descendants(window)
            if d.get_role() in controls and not d.get_name().strip()]


# Turn accessibility on as a screen reader does when it starts.
bus = Gio.bus_get_sync(Gio.BusType.SESSION)
for prop in ("IsEnabled", "ScreenReaderEnabled"):
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", prop, GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, -1, None)

with open(os.path.join(folder, "Morning pills.ini"), "w") as f:
    f.write("[Date]\nCk=1\nYear=2027\nMonth=3\nDay=14\nHr=9\nMin=0\nRepeat=0\n"
            "[Days]\nCk=0\n[Monthly]\nCk=0\n[Display]\nCk=1\n[Reminder]\nMsg=Take the pills\n")

env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
editor = subprocess.Popen([orsivel], env=env)
try:
    desktop = Atspi.get_desktop(0)
    main = wait_for(lambda: first(desktop, name="Nelvora and Reminder"))
    if not main:
        sys.exit("FAIL: the editor's main window never appeared over AT-SPI")
    app = main.get_parent()

    # Main window.
    check(main.get_role() == Atspi.Role.FRAME, f"main window role: {main.get_role_name()}")
    reminders = first(main, role=Atspi.Role.LIST)
    check(reminders is not None and reminders.get_name() == "Reminders:",
          f"reminder list name: {reminders and reminders.get_name()!r}")
    check(not unnamed_controls(main), f"unnamed controls in the main window: {unnamed_controls(main)}")

    act(first(main, role=Atspi.Role.PUSH_BUTTON, name="Modify Reminder"), "Press")
    page = wait_for(lambda: first(app, role=Atspi.Role.DIALOG,
                                  name='"When" do you want this to occur?'))
    if not page:
        sys.exit("FAIL: the schedule page did not open")
    check(not unnamed_controls(page), f"unnamed controls on the schedule page: {unnamed_controls(page)}")
    calendar = first(page, role=Atspi.Role.TABLE)
    check(calendar is not None and calendar.get_name() == "Date", "calendar name")

    # The option group, then the date, weekday and monthly groups, in the page's order.
    panels = [page.get_child_at_index(i) for i in range(page.get_child_count())]
    panels = [p for p in panels if p is not None and p.get_role() == Atspi.Role.PANEL]
    if len(panels) != 4:
        sys.exit(f"FAIL: the schedule page has {len(panels)} groups over AT-SPI")
    groups = dict(zip(("Specific date", "Weekdays", "Monthly"), panels[1:]))
    check([p.get_name() for p in panels] == ["Schedule", "Specific date", "Weekdays", "Monthly"],
          f"group names: {[p.get_name() for p in panels]}")
    for group, option in (("Specific date", "specific date"), ("Weekdays", "weekday"),
                          ("Monthly", "month")):
        example = [d for d in descendants(groups[group]) if d.get_role() == Atspi.Role.PUSH_BUTTON]
        said = " ".join(d.get_name() + " " + d.get_description() for d in example)
        check(len(example) == 1 and option in said.lower(),
              f"the Example button of {group} does not say it explains {option}: {said!r}")

    # Every numeric field: its name, real range, step one, and the value shown in Latin
    # digits whatever the locale.
    expected = {"Specific date": [("Time: hour", 0, 23, 9), ("Time: minute", 0, 59, 0)],
                "Weekdays": [("Time: hour", 0, 23, None), ("Time: minute", 0, 59, None)],
                "Monthly": [("Day:", 1, 28, None), ("Time: hour", 0, 23, None),
                            ("Time: minute", 0, 59, None)]}
    fields = {}
    for group, wanted in expected.items():
        spins = [d for d in descendants(groups[group]) if d.get_role() == Atspi.Role.SPIN_BUTTON]
        check([s.get_name() for s in spins] == [w[0] for w in wanted],
              f"fields of {group}: {[s.get_name() for s in spins]}")
        for spin, (name, low, high, value) in zip(spins, wanted):
            got = (Atspi.Value.get_minimum_value(spin), Atspi.Value.get_maximum_value(spin),
                   Atspi.Value.get_minimum_increment(spin))
            check(got == (low, high, 1), f"{group} {name}: range and step {got}")
            shown = text_of(spin)
            check(shown.isascii() and shown.isdigit()
                  and int(shown) == Atspi.Value.get_current_value(spin),
                  f"{group} {name}: shows {shown!r} for {Atspi.Value.get_current_value(spin)}")
            if value is not None:
                check(shown == str(value), f"{group} {name}: loaded as {shown!r}, stored {value}")
            fields[group, name] = spin

    date = groups["Specific date"]
    hour, minute = fields["Specific date", "Time: hour"], fields["Specific date", "Time: minute"]

    def expect_date_time(h, m, h24, h12):
        ok = wait_for(lambda: text_of(hour) == h and text_of(minute) == m
                      and h24 in labels(date) and h12 in labels(date), 5)
        check(ok, f"expected {h}:{m} with {h24!r} and {h12!r}; fields {text_of(hour)!r} "
                  f"{text_of(minute)!r}, labels {labels(date)}")

    expect_date_time("9", "0", "9:00", "9:00 AM")
    act(minute, "Increase")
    expect_date_time("9", "1", "9:01", "9:01 AM")
    act(minute, "Decrease")
    act(minute, "Decrease")  # stops at the minimum
    expect_date_time("9", "0", "9:00", "9:00 AM")
    act(hour, "Increase")
    expect_date_time("10", "0", "10:00", "10:00 AM")

    # Values set through the interface are pulled into the range and refresh the texts.
    Atspi.Value.set_current_value(minute, 75)
    expect_date_time("10", "59", "10:59", "10:59 AM")
    Atspi.Value.set_current_value(hour, 30)
    expect_date_time("23", "59", "23:59", "11:59 PM")
    Atspi.Value.set_current_value(hour, -4)
    expect_date_time("0", "59", "0:59", "12:59 AM")
    Atspi.Value.set_current_value(hour, 21)
    Atspi.Value.set_current_value(minute, 7)
    expect_date_time("21", "7", "21:07", "9:07 PM")

    # Through to the save, by the accessibility interface alone.
    act(first(page, role=Atspi.Role.PUSH_BUTTON, name="Continue"), "Press")
    done = wait_for(lambda: first(app, role=Atspi.Role.PUSH_BUTTON, name="Done"))
    if not done:
        sys.exit("FAIL: the action page did not open")
    act(done, "Press")
    notice_text = "Morning pills has been successfully updated."
    notice = wait_for(lambda: next((w for w in descendants(app)
                                    if w.get_role() in (Atspi.Role.DIALOG, Atspi.Role.ALERT)
                                    and first(w, name=notice_text)), None))
    if not notice:
        sys.exit("FAIL: no notice of the update")
    act(first(notice, role=Atspi.Role.PUSH_BUTTON, name="OK"), "Press")

    saved = configparser.ConfigParser(interpolation=None)
    saved.optionxform = str
    saved.read(os.path.join(folder, "Morning pills.ini"))
    check((saved.get("Date", "Hr", fallback=None), saved.get("Date", "Min", fallback=None))
          == ("21", "7"), f"saved time: {dict(saved['Date']) if 'Date' in saved else None}")
    summary = "9:07 PM  (Military Time : 21:07)"
    check(wait_for(lambda: first(main, role=Atspi.Role.LABEL, name=summary), 5),
          f"main window summary does not read {summary!r}")
finally:
    editor.kill()
    editor.wait()

if failures:
    sys.exit(f"{len(failures)} check(s) failed")
print("editor over AT-SPI: all checks passed")
