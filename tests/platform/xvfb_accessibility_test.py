#!/usr/bin/env python3
"""Window 0 of the running program as AT-SPI gives it to a screen reader.

After "Neu" its text holds the report's lines as a batch run of the same report reads the screen
(the text the copy action takes), its caret stands where the cursor stands, after the last
figure, and the finished report is announced in its description; after a saved report was
handed over by a second start, its text is that report's.

Usage: xvfb_accessibility_test.py PROGRAM PROFILES WORK (inside an X server and a session bus)
"""
import os
import subprocess
import sys
import time

import pyatspi

program, profiles, work = (os.path.abspath(a) for a in sys.argv[1:4])
# Lines whose values differ from run to run: only their labels are compared.
VARYING = ("Eingeschaltet seit", "Single-Core", "Multi-Core")


def environment(profile, batch):
    env = dict(os.environ, MIRADEX_COMMAND_PATH=profiles, MIRADEX_BENCH_ADDITIONS="1000",
               E2E_PROFILES=f"{profiles}/common.txt {profiles}/{profile}",
               MIRADEX_PUBLIC_IP_HOST="", MIRADEX_MODEL_HOST="")
    if batch:
        env["QT_QPA_PLATFORM"] = "offscreen"
        env.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
    return env


def batch(profile, *arguments):
    run = subprocess.run([program, "--batch", *arguments], env=environment(profile, True),
                         cwd=work, capture_output=True, text=True, timeout=120, check=True)
    return run.stdout.rstrip("\n")


log = open(os.path.join(work, "log"), "w")
gui = None


def fail(message):
    print(f"FEHLER: {message}", file=sys.stderr)
    display = os.environ.get("DISPLAY", "")
    print(f"X-Server {display}: Socket {os.path.exists('/tmp/.X11-unix/X' + display[1:])}, "
          f"Cookie {os.path.exists(os.environ.get('XAUTHORITY', ''))}", file=sys.stderr)
    log.flush()
    with open(os.path.join(work, "log")) as lines:
        print("--- Protokoll\n" + lines.read(), file=sys.stderr)
    if gui:
        gui.kill()
    sys.exit(1)


def waitfor(what, condition, seconds=60):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            value = condition()
            if value:
                return value
        except Exception:  # the tree changes while it is read: ask again
            pass
        time.sleep(0.2)
    fail(what)


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.get_process_id() == gui.pid:
            return app
    return None


def screen():
    """The text of window 0: named after the window, shown."""
    app = application()
    return app and pyatspi.findDescendant(
        app, lambda a: a.getRole() == pyatspi.ROLE_TEXT and a.name == "Miradex"
        and a.getState().contains(pyatspi.STATE_SHOWING))


def textof(accessible):
    text = accessible.queryText()
    return text.getText(0, -1), text.caretOffset


def samereport(shown, expected):
    shown, expected = shown.split("\n"), expected.split("\n")
    if len(shown) != len(expected):
        return False
    for have, want in zip(shown, expected):
        label = want.split("=")[0]
        if not (have == want or label.startswith(VARYING) and have.startswith(label)):
            return False
    return True


# The reports to compare with: "Neu" on the Intel profile, and a saved report of another machine.
expected_new = batch("intel.txt", "--new")
saved = os.path.join(work, "Anderer Rechner.mirdx")
batch("apple-chip.txt", "--new", "--save", saved)
expected_open = batch("apple-chip.txt", saved)
if "Prozessor" not in expected_new or expected_open == expected_new:
    fail(f"Vergleichsberichte:\n{expected_new}\n---\n{expected_open}")

gui = subprocess.Popen([program, "--new"], env=environment("intel.txt", False), cwd=work,
                       stdout=log, stderr=subprocess.STDOUT)
accessible = waitfor("Fenster 0 als Text auf dem Bus", screen)
finished = lambda: samereport(textof(accessible)[0], expected_new)
waitfor(f"Bericht nach Neu: {textof(accessible)[0]!r}", finished)
text, caret = textof(accessible)
if caret != len(text):
    fail(f"Einfügemarke {caret} statt {len(text)} hinter der letzten Zahl")
announcement = " ".join(text.split("\n")[0].split())
waitfor(f"Ansage des fertigen Berichts: {accessible.description!r}",
        lambda: screen().description == announcement, 10)

# A second start hands the saved report to the running program.
subprocess.run([program, saved], env=environment("intel.txt", False), cwd=work, stdout=log,
               stderr=subprocess.STDOUT, timeout=60, check=True)
waitfor(f"geöffneter Bericht: {textof(accessible)[0]!r}",
        lambda: textof(accessible)[0] == expected_open)
text, caret = textof(accessible)
if caret != len(text):
    fail(f"Einfügemarke {caret} statt {len(text)} im geöffneten Bericht")
gui.terminate()
gui.wait(30)
print(f"Alles gut: {len(text)} Zeichen, Einfügemarke {caret}, Ansage {announcement!r}.")
