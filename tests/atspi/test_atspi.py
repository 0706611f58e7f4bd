"""What a screen reader finds in the running program, read over AT-SPI.

Run by test_atspi.sh on a private display and session bus; the one argument
is the program to start. Exits non-zero with a message at the first failure.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

STATUS_NAMES = []  # names the status line announced, in order


def fail(message):
    raise SystemExit("FAIL: " + message)


def pump(seconds, done=lambda: False):
    """Runs the event loop until done() or the time is up; gives done()."""
    end = time.monotonic() + seconds
    context = GLib.MainContext.default()
    while not done() and time.monotonic() < end:
        if not context.iteration(False):
            time.sleep(0.02)
    return done()


def descendants(node, depth=0):
    for child in node:
        if child is None:
            continue
        yield child
        if depth < 12:
            yield from descendants(child, depth + 1)


def find(root, role, name=None, seconds=10):
    """The first object of that role (and name) under root, waited for."""
    found = []

    def look():
        found[:] = [o for o in descendants(root) if o.getRole() == role and (name is None or o.name == name)]
        return bool(found)

    if not pump(seconds, look):
        fail(f"no {pyatspi.Role(role).value_nick if hasattr(pyatspi.Role(role), 'value_nick') else role} {name!r}")
    return found[0]


def top_level(name, role, seconds=15):
    desktop = pyatspi.Registry.getDesktop(0)
    found = []

    def look():
        found[:] = [w for app in desktop if app is not None for w in app if w is not None and w.name == name]
        return bool(found)

    if not pump(seconds, look):
        fail(f"no window {name!r}")
    window = found[0]
    if window.getRole() != role:
        fail(f"{name!r} has role {window.getRoleName()!r}")
    return window


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, capture_output=True)


def focus_and_type(title, *keys):
    window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                            check=True, capture_output=True, text=True).stdout.split()[0]
    xdotool("windowfocus", "--sync", window)
    xdotool("key", *keys)


def on_name_change(event):
    if event.source is not None and event.source.description == "Status line":
        STATUS_NAMES.append(event.source.name)


def check(program):
    main = top_level("Varko Chronometer", pyatspi.ROLE_FRAME)
    status_bars = [o for o in descendants(main) if o.getRole() == pyatspi.ROLE_STATUS_BAR]
    if len(status_bars) != 1:
        fail(f"{len(status_bars)} status bars")
    # Lamps, the pressed push-buttons and the status icon: pictures with a
    # meaning. The twelve chess pieces are decoration and not among them.
    images = [o for o in descendants(main) if o.getRole() == pyatspi.ROLE_IMAGE]
    if len(images) != 7 or not all(i.name for i in images):
        fail("pictures offered: " + ", ".join(repr(i.name) for i in images))
    seconds = [o.name for o in descendants(main) if o.description == "White seconds"]
    if seconds != ["00"]:
        fail(f"White's seconds read {seconds}")

    pyatspi.Registry.registerEventListener(on_name_change, "object:property-change:accessible-name")
    focus_and_type("Varko Chronometer", "ctrl+n")
    settings = top_level("Set Options", pyatspi.ROLE_DIALOG)
    boxes = sorted(o.name for o in descendants(settings) if o.getRole() == pyatspi.ROLE_TEXT)
    if boxes != ["Black", "Name of Game", "Set Time", "White"]:
        fail(f"settings boxes named {boxes}")
    limit = find(settings, pyatspi.ROLE_COMBO_BOX)
    labels = [r.getTarget(0).name for r in limit.getRelationSet() if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    if "Set Time" not in labels:
        fail(f"limit box labelled by {labels}")
    focus_and_type("Set Options", "space")  # OK has the focus: White to move

    black = find(main, pyatspi.ROLE_PUSH_BUTTON, "Black's push-button")
    pump(10, lambda: black.queryAction().nActions == 1)
    STATUS_NAMES.clear()
    black.queryAction().doAction(0)
    if not pump(10, lambda: any(n.startswith("Black player spend") for n in STATUS_NAMES)):
        fail(f"no hand-over announced; status said {STATUS_NAMES}")
    if black.queryAction().nActions != 0:
        fail("Black's hidden push-button still offers its press action")
    # The animation goes on changing the line: each change is said once.
    pump(6)
    repeats = [a for a, b in zip(STATUS_NAMES, STATUS_NAMES[1:]) if a == b]
    if repeats or len(STATUS_NAMES) < 2:
        fail(f"status announcements {STATUS_NAMES}")


def main():
    program = subprocess.Popen([sys.argv[1]], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        check(program)
    finally:
        program.terminate()
        program.wait(10)
    print("PASS")


if __name__ == "__main__":
    main()
