#!/usr/bin/python3
"""The GUI suite: the real program on a virtual desktop with a window manager, worked with the
keyboard and the mouse as a person would. One case per call:

    gui_suite.py BUILD_DIR CASE      runs one case (exit 0 passed, 1 failed, 77 skipped)
    gui_suite.py --list              names the cases

A failed case leaves a picture of the screen and the program's log in its work folder and says
where.
"""

import os
import re
import subprocess
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sonavel_gui as g  # noqa: E402
from sonavel_gui import check, key, wait_until  # noqa: E402

MAIN = "Sonavel 2.1"
SETTINGS = "Sonavel Settings"
CASES = {}


def case(f):
    CASES[f.__name__] = f
    return f


# The main window's caption carries the names of the person tested once there are any.
MAIN_RE = re.compile(r"^Sonavel 2\.1( - .*)?$")
MAIN_X = "^Sonavel 2.1( - .*)?$"  # the same for xdotool


def start(d, *args, **kw):
    p = d.start_program("--no-splash", *args, **kw)
    main = p.window(MAIN_RE)
    wait_until(lambda: MAIN_RE.match(g.active_window_name()), 10, "the main window to take the keyboard")
    return p, main


def open_settings(p, main):
    g.menu(p, main, "Datei", "Einstellungen")
    st = p.window(SETTINGS)
    wait_until(lambda: g.active_window_name() == SETTINGS, 5, "the settings window to take the keyboard")
    return st


def settings_field(st, index):
    fields = st.find_all("text")
    return fields[index]


def focus_by_tab(window, target, limit=60):
    """Tabs through the window until `target` has the keyboard."""
    for _ in range(limit):
        if target.is_focused():
            return
        key("Tab")
    raise g.CaseFailure(f"Tab never reached {target!r}")


# -----------------------------------------------------------------------------------------------

HELP = "Sonavel - Hilfe"


def help_topic(p):
    """The title of the topic the help window shows (its entry in the topic list)."""
    w = p.window(HELP)
    lst = w.find("list")
    selected = [i for i in lst.find_all("list item") if "selected" in i.states()]
    return selected[0].name if selected else ""


@case
def settings_return_and_escape(d):
    """Return presses the focused button of the settings window, else OK; Escape is Abbrechen."""
    d.install_key()
    p, main = start(d)

    def edit_step(st, value):
        step = settings_field(st, 2)  # "Pegelschritt"
        step.click()
        key("ctrl+a")
        g.type_text(value)
        return step

    # Return on a focused "Abbrechen" discards the edit.
    st = open_settings(p, main)
    edit_step(st, "4")
    focus_by_tab(st, st.find("push button", "Abbrechen"))
    key("Return")
    p.no_window(SETTINGS)
    check(d.key_value("Level Steps (dB)") == '"3"', f"Abbrechen stored the edit: {d.key_value('Level Steps (dB)')}")

    # Return on a focused "Hilfe" opens the page's help and stores nothing.
    st = open_settings(p, main)
    edit_step(st, "5")
    focus_by_tab(st, st.find("push button", "Hilfe"))
    key("Return")
    p.window(HELP)
    check(st.is_showing(), "Return on Hilfe closed the settings window")
    wait_until(lambda: g.on_top_of(g.exactly(HELP), g.exactly(SETTINGS)), 5, "the help to open over the settings window")
    check(d.key_value("Level Steps (dB)") == '"3"', "Return on Hilfe stored the settings")
    g.close_window(g.exactly(HELP))
    p.no_window(HELP)

    # Escape is Abbrechen: the edit is gone, also from the window.
    g.xdotool("windowactivate", "--sync", g.visible_windows(g.exactly(SETTINGS))[0])
    key("Escape")
    p.no_window(SETTINGS)
    st = open_settings(p, main)
    check(settings_field(st, 2).text() == "3", f"Escape kept the edit: {settings_field(st, 2).text()}")

    # Return in a field is OK: stored.
    edit_step(st, "2")
    key("Return")
    p.no_window(SETTINGS)
    check(d.key_value("Level Steps (dB)") == '"2"', f"Return in a field did not store: {d.key_value('Level Steps (dB)')}")


def box_of(p, owner_title, text_part):
    """A message box that must belong to `owner_title`: on top of it, enabled, with the keyboard.
    Return then closes it and the owner has the keyboard again."""
    box = p.message_box(text_part)
    check(box.is_enabled(), f"the box {text_part!r} is disabled")
    wait_until(lambda: g.active_window_name() == box.name, 5, f"the box {text_part!r} to take the keyboard")
    check(g.on_top_of(g.exactly(box.name), g.exactly(owner_title)),
          f"the box {text_part!r} stands under {owner_title!r}")
    key("Return")
    wait_until(lambda: not box.is_showing(), 5, f"Return to close the box {text_part!r}")
    wait_until(lambda: g.active_window_name() == owner_title, 5, f"{owner_title!r} to take the keyboard back")


@case
def boxes_belong_to_the_window_that_raised_them(d):
    """A box from the settings window or the wizard stands on it, enabled, with the keyboard."""
    d.install_key()
    p, main = start(d)
    st = open_settings(p, main)
    st.find("page tab", "Hardware").click()
    st.find("push button", "Windows Multimedia-Optionen").click()
    box_of(p, SETTINGS, "pavucontrol")
    key("Escape")
    p.no_window(SETTINGS)

    # The wizard: a known threshold it cannot play.
    g.menu(p, main, "Kalibrierung", "Neue Kalibrierung nach Gehör")
    question = p.message_box("Kompatibilität der Soundkarte")
    question.find("push button", "Nein").click()
    reference = p.message_box("Referenz benutzen")
    reference.find("push button", "Ja").click()
    wizard = p.window(re.compile("^Kalibrierung per Gehör"))
    threshold = wizard.find("text")
    threshold.click()
    key("ctrl+a")
    g.type_text("99")
    wizard.find("push button", "Ein").click()
    box_of(p, wizard.name, "Hörschwelle über 70 dB")
    key("Escape")  # Abbrechen on the first page
    p.no_window(re.compile("^Kalibrierung per Gehör"))


def choose_colour(p, html):
    """Qt's colour dialog: types the colour into its HTML field and takes it with OK."""
    dialog = p.window(re.compile("^Farbe"))
    wait_until(lambda: g.active_window_name() == dialog.name, 5, "the colour dialog to take the keyboard")
    field = dialog.find("text", re.compile("HTML"), timeout=3) if dialog.find_all("text", re.compile("HTML")) \
        else [t for t in dialog.find_all("text") if t.text().startswith("#")][0]
    field.click()
    key("ctrl+a")
    g.type_text(html)
    dialog.find("push button", "OK").click()
    p.no_window(re.compile("^Farbe"))


@case
def colour_list_keeps_its_entry_after_the_colour_dialog(d):
    """"Change..." recolours the chosen entry, also the second time, after the dialog closed."""
    d.install_key()
    p, main = start(d)
    st = open_settings(p, main)
    st.find("page tab", "Diagramm").click()
    colours = st.find("combo box")
    colours.click()  # the list opens
    key("Down", "Down", "Return")
    wait_until(lambda: colours.name == "Audiogramm Achsen & Gitter", 5, "the entry to be chosen")
    change = st.find("push button", "Change...")
    change.click()
    choose_colour(p, "#ff0000")
    wait_until(lambda: g.active_window_name() == SETTINGS, 5, "the settings window to take the keyboard back")
    check(colours.name == "Audiogramm Achsen & Gitter", f"the list went back to {colours.name!r}")
    change.click()
    choose_colour(p, "#00ff00")
    st.find("push button", "OK").click()
    p.no_window(SETTINGS)
    check(d.key_value("Colour Audiogram Axes & Grid") == "dword:0000ff00",
          f"the axes got {d.key_value('Colour Audiogram Axes & Grid')}")
    check(d.key_value("Colour Audiogram Reversals Left") == "dword:00800000",
          f"the left trace got {d.key_value('Colour Audiogram Reversals Left')}")


@case
def closing_the_main_window_ends_the_program(d):
    """Whatever is open (here the help and the settings window), closing the main window ends it."""
    d.install_key()
    p, main = start(d)
    key("F1")
    p.window(HELP)
    activate(MAIN)
    st = open_settings(p, main)
    g.close_window(MAIN_X)
    status = p.ended(10)
    check(status == 0, f"the program ended with status {status}")


@case
def field_bounds_apply_when_the_field_is_left(d):
    """A bounded field keeps what was typed while its context menu is open or another program
    has the keyboard; leaving it with Tab applies the bounds; the key stores the bounded value."""
    d.install_key()
    p, main = start(d)
    st = open_settings(p, main)
    beep = settings_field(st, 0)  # "Signaldauer", 0 to 5 s
    beep.click()
    key("ctrl+a")
    g.type_text("9")
    beep.click(button=3)  # its context menu
    time.sleep(0.5)  # Qt's own context menu of a field is not on the accessibility bus
    key("Escape")
    check(beep.text() == "9", f"the context menu applied the bounds: {beep.text()!r}")
    # Another program takes the keyboard, then the user comes back.
    other = subprocess.Popen(["xmessage", "-title", "other", "anderes Programm"], env={**d.env, "LANG": "C"})
    d.procs.append(other)
    g.xdotool("windowactivate", "--sync", str(wait_until(lambda: g.visible_windows("^other$"), 5, "the other program")[0]))
    wait_until(lambda: g.active_window_name() != SETTINGS, 5, "the other program to take the keyboard")
    check(beep.text() == "9", f"another program's focus applied the bounds: {beep.text()!r}")
    g.xdotool("windowactivate", "--sync", str(g.window_id(g.exactly(SETTINGS))))
    wait_until(lambda: beep.is_focused(), 5, "the field to have the keyboard again")
    key("Tab")
    wait_until(lambda: beep.text() == "5", 5, "Tab to apply the bounds")
    key("Return")
    p.no_window(SETTINGS)
    check(d.key_value("Pulse Duration(s)") == '"5"', f"stored {d.key_value('Pulse Duration(s)')}")


@case
def device_names_keep_their_umlauts(d):
    """A sound server's output with a long German name: the settings list cuts it to 32
    characters, never inside an umlaut. Runs on the private sound server of the audio tests."""
    if not os.environ.get("PULSE_SERVER"):
        raise g.Skip("needs the private sound server (tests/integration/with_pulse.sh)")
    name = "Kopfhörer-Ausgang Büro Südflügel Gerät"  # 38 characters, 42 bytes
    r = subprocess.run(["pactl", "load-module", "module-null-sink", "sink_name=sonavel_umlaut",
                        f"sink_properties=\"device.description='{name}'\""], capture_output=True, text=True,
                       env=d.env)
    check(r.returncode == 0, f"pactl: {r.stderr}")
    d.install_key()
    p, main = start(d, audio="pulse")
    st = open_settings(p, main)
    st.find("page tab", "Hardware").click()
    entries = [i.name for i in st.find_all("list item", showing=False)]
    wanted = "Kopfhörer-Ausgang Büro Südflügel Driver Version "
    check(any(e.startswith(wanted) for e in entries), f"no entry {wanted!r}...: {entries}")
    check(not any("\ufffd" in e for e in entries), f"an entry lost a character: {entries}")


def topic_title(d, context):
    text = open(os.path.join(d.source_dir, "help", "de", f"topic_{context:02d}.html"), encoding="utf-8").read()
    return re.search(r"<title>(.*?)</title>", text).group(1)


def f1_shows(d, p, context, where):
    key("F1")
    wanted = topic_title(d, context)
    wait_until(lambda: help_topic(p) == wanted, 5, f"F1 in {where} to show {wanted!r}")
    g.close_window(g.exactly(HELP))
    p.no_window(HELP)


def activate(title):
    """Gives the keyboard to a window, as a click on its title bar does."""
    if title == MAIN:
        g.xdotool("windowactivate", "--sync", str(g.window_id(MAIN_X)))
        wait_until(lambda: MAIN_RE.match(g.active_window_name()), 5, "the main window to take the keyboard")
        return
    g.xdotool("windowactivate", "--sync", str(g.window_id(g.exactly(title))))
    wait_until(lambda: g.active_window_name() == title, 5, f"{title!r} to take the keyboard")


def sample_audiogram(d):
    aud = d.path("Muster.aud")
    d.cli("simulate", "--out", aud, "--left", "10,10,15,15,20,25,30,40,45,55,60",
          "--right", "5,5,10,10,15,20,25,35,40,50,55")
    return aud


@case
def f1_opens_the_help_of_the_window_with_the_keyboard(d):
    """F1 opens the topic of the window that has the keyboard: the main window's, the settings
    page's, the results', the calibration windows' own."""
    cal = os.path.join(d.source_dir, "tests", "data", "full-scale.cal")
    d.install_key(values={"Reload Cal File": "dword:00000001", "Cal Filename": f'"{cal}"'})
    p, main = start(d, sample_audiogram(d))
    f1_shows(d, p, 1, "the main window")
    activate(MAIN)

    st = open_settings(p, main)
    st.find("page tab", "Hardware").click()
    f1_shows(d, p, 6, "the settings' Hardware page")
    activate(SETTINGS)
    st.find("page tab", "Diagramm").click()
    f1_shows(d, p, 9, "the settings' Diagramm page")
    activate(SETTINGS)
    key("Escape")
    p.no_window(SETTINGS)

    activate(MAIN)
    key("F8")
    p.window("Ergebnisse und Statistik")
    activate("Ergebnisse und Statistik")
    f1_shows(d, p, 24, "the results window")
    activate("Ergebnisse und Statistik")
    key("Escape")
    p.no_window("Ergebnisse und Statistik")

    activate(MAIN)
    key("ctrl+i")
    p.window("Calibration Information")
    activate("Calibration Information")
    f1_shows(d, p, 11, "the calibration information")
    activate("Calibration Information")
    key("Escape")
    p.no_window("Calibration Information")

    activate(MAIN)
    g.menu(p, main, "Kalibrierung", "Kompatibilitätstest")
    p.message_box("KOPFHÖRER AB").find("push button", "OK").click()
    p.window("Compatibility Test")
    activate("Compatibility Test")
    f1_shows(d, p, 26, "the compatibility test")
    activate("Compatibility Test")
    key("Escape")
    p.no_window("Compatibility Test")

    activate(MAIN)
    key("F4")
    p.message_box("Referenz benutzen").find("push button", "Nein").click()
    wizard = p.window(re.compile("^Kalibrierung per Gehör"))
    activate(wizard.name)
    f1_shows(d, p, 11, "the wizard")
    activate(wizard.name)
    key("Escape")
    p.no_window(re.compile("^Kalibrierung per Gehör"))


def print_dialog_to_file(p, title, pdf, confirm, overwrite=False):
    """Qt's printer dialog: PDF output into `pdf`, taken with its `confirm` button."""
    dialog = p.window(title)
    activate(title)
    printer = dialog.find("combo box")
    check("PDF" in printer.name, f"the printer is {printer.name!r}, not a PDF file")
    field = dialog.find("text", "Ausgabedatei:")
    field.click()
    key("ctrl+a")
    g.type_text(pdf)
    dialog.find("label", "Typ:").click()  # closes the field's completion list, as a person would
    dialog.find("push button", confirm).click()
    if overwrite:
        # Qt's own dialog asks before it will write over a file that is there.
        question = p.message_box("existiert bereits")
        question.find("push button", re.compile("^(&?Ja|&?Yes)$")).click()
    p.no_window(title)


def pdf_text(path):
    return subprocess.run(["pdftotext", path, "-"], capture_output=True, text=True).stdout


@case
def printing_to_pdf_never_replaces_a_file_unasked(d):
    """The printer set-up chooses the printer or a PDF file; the results window's Drucken prints
    there (or asks where when nothing is set up) and never replaces a file without asking."""
    d.install_key()
    p, main = start(d, sample_audiogram(d))
    first, second = d.path("Ausdruck.pdf"), d.path("Ergebnisse.pdf")

    # The results window's Drucken with nothing set up asks where to print.
    key("F8")
    results = p.window("Ergebnisse und Statistik")
    activate(results.name)
    results.find("push button", "Drucken").click()
    print_dialog_to_file(p, "Drucken", second, "Drucken")
    wait_until(lambda: os.path.exists(second), 10, "the results' PDF")
    check("Hörschwelle" in pdf_text(second), "the results' PDF has no table")
    activate(results.name)
    key("Escape")
    p.no_window(results.name)

    # Ctrl+P with its dialog.
    activate(MAIN)
    key("ctrl+p")
    print_dialog_to_file(p, "Drucken", first, "Drucken")
    wait_until(lambda: os.path.exists(first), 10, "the main window's PDF")
    check("Hörschwellenwerte" in pdf_text(first), "the main window's PDF has no threshold row")

    # The printer set-up chooses the file the results window prints to.
    activate(MAIN)
    g.menu(p, main, "Datei", "Druckereinstellungen")
    print_dialog_to_file(p, "Druckereinstellungen", second, "OK", overwrite=True)

    # Drucken without a dialog over an existing file asks first: No keeps it, Yes replaces it.
    before = os.stat(second).st_mtime_ns
    activate(MAIN)
    key("F8")
    results = p.window("Ergebnisse und Statistik")
    activate(results.name)
    results.find("push button", "Drucken").click()
    ask = p.message_box("Ergebnisse.pdf")
    ask.find("push button", "Nein").click()
    time.sleep(0.5)
    check(os.stat(second).st_mtime_ns == before, "No replaced the file")
    activate(results.name)
    results.find("push button", "Drucken").click()
    p.message_box("Ergebnisse.pdf").find("push button", "Ja").click()
    wait_until(lambda: os.stat(second).st_mtime_ns != before, 10, "Yes to replace the file")
    check("Hörschwelle" in pdf_text(second), "the replaced PDF has no table")


TEST_WINDOW = re.compile(r"^(Real Time Audiogram|Audiogramm - )")
# A short test: 1 kHz only, tones of 0.3 s with 0.2 s pauses, a trial run first.
SHORT_TEST = {
    **{f"Test {hz}Hz": "dword:00000000" for hz in (125, 250, 500, 750, 1500, 2000, 3000, 4000, 6000, 8000)},
    "Test 1000Hz": "dword:00000001",
    "Retest @ 1kHz": "dword:00000000",
    "AutoRetest": "dword:00000000",
    "Trial Run": "dword:00000001",
    "Pulse Duration(s)": '"0,3"',  # the German number format of the desktop
    "Pause Duration(s)": '"0,2"',
    "Max. Test time(s)": '"10"',
}


def answer(p, text_part, button):
    p.message_box(text_part).find("push button", button).click()


def start_demo_test(p, main):
    """F5 in the demonstration, no instructions, the trial run started with OK."""
    activate(MAIN)
    key("F5")
    answer(p, "Bedienungsanleitung", "Nein")
    answer(p, "Übungsphase", "OK")
    return p.window(TEST_WINDOW)


def inhibits(d):
    return [c for c in d.screensaver_calls() if c[0] == "inhibit"]


@case
def a_demonstration_test_holds_the_screen_saver_and_ends_by_escape_or_close(d):
    """The screen saver is held off from the start of every run, also the one after an abort;
    Escape ends the trial run; closing the main window during a run ends the program."""
    d.install_key(values=SHORT_TEST)
    p, main = start(d, "--demo")
    start_demo_test(p, main)
    wait_until(lambda: len(inhibits(d)) == 1, 5, "the screen saver to be held off")
    activate(p.window(TEST_WINDOW).name)
    key("Escape")  # ends the trial run at the end of its tone
    answer(p, "Reaktionstaster", "Abbrechen")
    p.no_window(TEST_WINDOW)
    wait_until(lambda: any(c[0] == "uninhibit" for c in d.screensaver_calls()), 5, "the screen saver to be let go")

    # The next run, after that abort, holds it off again from its start.
    start_demo_test(p, main)
    wait_until(lambda: len(inhibits(d)) == 2, 5, "the screen saver to be held off in the run after an abort")

    # Closing the main window during the run ends it and the program.
    g.close_window(MAIN_X)
    started = time.monotonic()
    status = p.ended(10)
    check(status == 0, f"the program ended with status {status}")
    check(time.monotonic() - started < 2.0, "the run did not stop at the end of its tone")


@case
def a_self_test_starts_when_ctrl_is_let_go(d):
    """Testing himself, the listener holds CTRL while he clicks OK in the start box; the test
    starts the moment he lets go, not at the click. The real keyboard, not the program's flags."""
    cal = os.path.join(d.source_dir, "tests", "data", "full-scale.cal")
    short = {**SHORT_TEST, "Trial Run": "dword:00000000", "Reload Cal File": "dword:00000001",
             "Cal Filename": f'"{cal}"'}
    d.install_key(values=short)
    p, main = start(d)
    key("F5")
    answer(p, "Bedienungsanleitung", "Nein")
    box = p.message_box("Beim Loslassen startet")
    g.key_down("Control_L")
    box.find("push button", "OK").click()
    p.no_window(box.name)
    test = p.window(TEST_WINDOW)
    time.sleep(1.5)
    check(test.name == "Real Time Audiogram", f"the test started with CTRL held: {test.name!r}")
    g.key_up("Control_L")
    wait_until(lambda: p.window(TEST_WINDOW).name.startswith("Audiogramm - Hörtest"), 2,
               "the test to start as CTRL is let go")
    activate(p.window(TEST_WINDOW).name)
    key("Escape")
    answer(p, "Testprozedur unterbrochen!", "OK")
    p.no_window(TEST_WINDOW)


def audiogram_with_every_slot_inaccurate(d):
    """The sample audiogram with every measured slot's spread too wide, by way of its text export."""
    aud, txt = sample_audiogram(d), d.path("inaccurate.txt")
    d.cli("export", aud, "--out", txt)
    lines = open(txt, encoding="cp1252", newline="").read().split("\r\n")
    for ear in range(2):
        for slot in range(10):
            lines[8 + (ear * 12 + slot) * 22 + 21] = "20"  # element 21 of the row: its spread
    open(txt, "w", encoding="cp1252", newline="").write("\r\n".join(lines))
    out = d.path("Ungenau.aud")
    d.cli("import", txt, "--out", out)
    return out


@case
def results_texts_are_shown_whole(d):
    """A long list of inaccurate results and the 1 kHz sentence are shown whole: the labels grow
    to their text in the desktop font, one under the other, inside their box, above the buttons."""
    d.install_key()
    p, main = start(d, audiogram_with_every_slot_inaccurate(d))
    key("F8")
    results = p.window("Ergebnisse und Statistik")
    labels = sorted((l for l in results.find_all("label")
                     if l.name.startswith(("Hörkategorie", "Testwiederholung", "Alle Ergebnisse", "Die Hörschwelle"))),
                    key=lambda l: l.extents()[1])
    check(len(labels) == 3, f"the statistics labels: {labels}")
    listing = next(l for l in labels if l.name.startswith("Testwiederholung"))
    check(listing.name.count("Hz (") >= 15, f"not every measured slot is listed: {listing.name!r}")
    # Laid out 119 pixels high, which holds six lines; fifteen entries need more.
    check(listing.extents()[3] > 119, f"the list kept its laid-out height: {listing.extents()}")
    for upper, lower in zip(labels, labels[1:]):
        check(upper.extents()[1] + upper.extents()[3] <= lower.extents()[1], f"{upper!r} runs into {lower!r}")
    box = next(b for b in results.find_all("panel") if b.name == "Statistik")
    bx, by, bw, bh = box.extents()
    for l in labels:
        x, y, w, h = l.extents()
        check(y + h <= by + bh, f"{l!r} reaches out of its box")
    ok = results.find("push button", "OK")
    check(by + bh <= ok.extents()[1], "the box runs into the buttons")
    activate(results.name)
    d.screenshot("results.png")
    key("Return")
    p.no_window(results.name)


@case
def first_start(d):
    """The first start asks about the introduction, reminds of the sound card and joystick, marks
    the key and shows the settings on the Hardware page; the main window waits for them."""
    d.install_key(first_run=True)
    p = d.start_program("--no-splash")
    answer(p, "Dies ist das erste Mal", "Nein")
    answer(p, "Einstellungen für Soundkarte und Joystick", "OK")
    st = p.window(SETTINGS)
    wait_until(lambda: g.active_window_name() == SETTINGS, 5, "the settings window to take the keyboard")
    # The Hardware page is the one shown: its controls are on screen.
    check(st.find_all("push button", "Windows Multimedia-Optionen"), "the settings window is not on its Hardware page")
    check(not p.window(MAIN_RE).is_enabled(), "the main window is enabled under the settings window")
    check(d.key_value("FirstRun") == "dword:00000000", f"FirstRun is {d.key_value('FirstRun')}")
    key("Return")  # OK
    p.no_window(SETTINGS)
    wait_until(lambda: p.window(MAIN_RE).is_enabled(), 5, "the main window to be enabled")


@case
def save_and_open_an_audiogram(d):
    """Save (Ctrl+S) writes the audiogram under the suggested name in the file dialog; New
    clears it; Open (Ctrl+O) brings it back with its personal data."""
    d.install_key()
    p, main = start(d, sample_audiogram(d))
    first = main.find("text", "Vorname:")
    first.click()
    g.type_text("Jörg")
    last = main.find("text", "Nachname:")
    last.click()
    g.type_text("Hörmann")
    key("ctrl+s")
    dialog = p.window("Save Audiogram")
    name = dialog.find("text", re.compile("Dateiname|File name"), timeout=5)
    target = d.path("gespeichert.aud")
    name.click()
    key("ctrl+a")
    g.type_text(target)
    key("Return")
    p.no_window("Save Audiogram")
    wait_until(lambda: os.path.exists(target), 5, "the saved file")
    shown = subprocess.run([d.cli_path, "results", target], capture_output=True, text=True, env=d.env).stdout
    check("Jörg Hörmann" in shown, f"the file does not carry the names: {shown.splitlines()[:1]}")

    activate(MAIN)
    key("ctrl+n")
    wait_until(lambda: first.text() == "", 5, "New to clear the fields")
    key("ctrl+o")
    dialog = p.window("Open Audiogram File")
    name = dialog.find("text", re.compile("Dateiname|File name"), timeout=5)
    name.click()
    key("ctrl+a")
    g.type_text(target)
    key("Return")
    p.no_window("Open Audiogram File")
    wait_until(lambda: last.text() == "Hörmann", 5, "Open to bring the names back")


@case
def the_wizards_pages_by_keyboard_and_the_information_dialogs_cancel(d):
    """The wizard's first page: Escape cancels it; Weiter with Return goes on, Escape back.
    After the last page, Return on the focused Cancel of the information dialog discards the
    calibration (it took it before)."""
    d.install_key()
    p, main = start(d)

    def open_wizard():
        activate(MAIN)
        key("F3")
        answer(p, "Kompatibilität der Soundkarte", "Nein")
        answer(p, "Referenz benutzen", "Nein")
        w = p.window(re.compile("^Kalibrierung per Gehör"))
        wait_until(lambda: g.active_window_name().startswith("Kalibrierung per Geh"), 5, "the wizard to take the keyboard")
        return w

    open_wizard()
    key("Escape")  # "Abbrechen" on the first page
    p.no_window(re.compile("^Kalibrierung per Gehör"))
    wait_until(lambda: p.window(MAIN_RE).is_enabled(), 5, "the main window to be enabled again")

    wizard = open_wizard()
    wizard.find("push button", "Weiter ->").click()
    wait_until(lambda: p.window(re.compile("^Kalibrierung per Gehör")).name.endswith("250 Hz"), 5, "the second page")
    key("Escape")
    wait_until(lambda: p.window(re.compile("^Kalibrierung per Gehör")).name.endswith("125 Hz"), 5, "Escape to go back")
    for _ in range(22):
        key("Return")  # Weiter, the focused button
    info = p.window("Calibration Information")
    wait_until(lambda: g.active_window_name() == "Calibration Information", 5, "the information dialog to take the keyboard")
    focus_by_tab(info, info.find("push button", "Cancel"))
    key("Return")
    p.no_window("Calibration Information")
    activate(MAIN)
    key("F5")
    answer(p, "zunächst kalibriert werden", "Nein")


def main(argv):
    if len(argv) == 2 and argv[1] == "--list":
        print("\n".join(CASES))
        return 0
    if len(argv) != 3 or argv[2] not in CASES:
        print("usage: gui_suite.py BUILD_DIR CASE | --list", file=sys.stderr)
        return 2
    build, name = argv[1], argv[2]
    d = g.Desktop(os.path.abspath(build), os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__)))))
    keep = False
    try:
        d.start()
        started = time.monotonic()
        CASES[name](d)
        print(f"{name}: passed in {time.monotonic() - started:.1f} s")
        return 0
    except g.Skip as e:
        print(f"{name}: skipped: {e}")
        return g.SKIP
    except Exception:
        keep = True
        shot = d.screenshot("failure.png")
        traceback.print_exc()
        print(f"{name}: failed; the screen: {shot}; the program's log: {d.path('program.log')}")
        return 1
    finally:
        d.stop(keep=keep)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
