"""What a screen reader finds in the running program, read over AT-SPI.

Run by test_atspi.sh on a private display and buses; the one argument is the
program to start. Exits non-zero with a message at the first failure.
"""
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

STATUS_NAMES = []  # what the status line announced, in order


def expect(condition, message):
    if not condition:
        raise SystemExit("FAIL: " + message)


def pump(seconds, done=lambda: False):
    """Runs the event loop until done() or the time is up; gives done()."""
    end = time.monotonic() + seconds
    while not done() and time.monotonic() < end:
        if not GLib.MainContext.default().iteration(False):
            time.sleep(0.02)
    return done()


def present(node):  # an accessible without children counts as false
    return (child for child in node if child is not None)


def descendants(node, depth=0):
    for child in present(node):
        yield child
        if depth < 12:
            yield from descendants(child, depth + 1)


def top_level(name, role):
    desktop = pyatspi.Registry.getDesktop(0)
    found = []
    look = lambda: found.extend(w for app in present(desktop) for w in present(app) if w.name == name) or found
    expect(pump(30, look), f"no window {name!r}")
    expect(found[0].getRole() == role, f"{name!r} has role {found[0].getRoleName()!r}")
    return found[0]


def keys(title, *names):
    window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                            check=True, capture_output=True, text=True).stdout.split()[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", window, "key", *names], check=True)


def on_name_change(event):
    if event.source is not None and event.source.description == "Status line":
        STATUS_NAMES.append(event.source.name)


def check():
    main = top_level("Varko Chronometer", pyatspi.ROLE_FRAME)
    roles = [o.getRole() for o in descendants(main)]
    expect(roles.count(pyatspi.ROLE_STATUS_BAR) == 1, "not one status bar")
    # Lamps, the pressed push-buttons and the status icon: pictures with a
    # meaning. The twelve chess pieces are decoration and not among them.
    images = [o.name for o in descendants(main) if o.getRole() == pyatspi.ROLE_IMAGE]
    expect(len(images) == 7 and all(images), f"pictures offered: {images}")
    seconds = [o.name for o in descendants(main) if o.description == "White seconds"]
    expect(seconds == ["00"], f"White's seconds read {seconds}")

    # The places a screen reader reads follow the zoom: at 125% (the largest
    # step this screen takes) the label is 125% as large, and back at 100%
    # it is as it was.
    label = next(o for o in descendants(main) if o.description == "White seconds").queryComponent()
    extents = lambda: tuple(label.getExtents(pyatspi.DESKTOP_COORDS))
    x, y, width, height = extents()
    keys("Varko Chronometer", "ctrl+plus")
    zoomed = (round(width * 1.25), round(height * 1.25))
    expect(pump(10, lambda: extents()[2:] == zoomed), f"at 125% the label is {extents()}, not {zoomed}")
    keys("Varko Chronometer", "ctrl+0")
    expect(pump(10, lambda: extents() == (x, y, width, height)), f"back at 100% the label is {extents()}")

    pyatspi.Registry.registerEventListener(on_name_change, "object:property-change:accessible-name")
    keys("Varko Chronometer", "ctrl+n")
    settings = top_level("Set Options", pyatspi.ROLE_DIALOG)
    boxes = sorted(o.name for o in descendants(settings) if o.getRole() == pyatspi.ROLE_TEXT)
    expect(boxes == ["Black", "Name of Game", "Set Time", "White"], f"settings boxes named {boxes}")
    limit = next(o for o in descendants(settings) if o.getRole() == pyatspi.ROLE_COMBO_BOX)
    labels = [r.getTarget(0).name for r in limit.getRelationSet()
              if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    expect("Set Time" in labels, f"limit box labelled by {labels}")
    keys("Set Options", "space")  # OK has the focus: White to move

    black = [o for o in descendants(main) if o.getRole() == pyatspi.ROLE_PUSH_BUTTON and o.name == "Black's push-button"]
    expect(pump(10, lambda: black[0].queryAction().nActions == 1), "Black's push-button cannot be pressed")
    STATUS_NAMES.clear()
    black[0].queryAction().doAction(0)
    expect(pump(10, lambda: any(n.startswith("Black player spend") for n in STATUS_NAMES)),
           f"no hand-over announced: {STATUS_NAMES}")
    expect(black[0].queryAction().nActions == 0, "Black's hidden push-button can still be pressed")
    # The animation goes on changing the line: each change is said once.
    pump(6)
    repeats = [a for a, b in zip(STATUS_NAMES, STATUS_NAMES[1:]) if a == b]
    expect(len(STATUS_NAMES) >= 2 and not repeats, f"status announcements {STATUS_NAMES}")


def registry_answers():
    try:
        return pyatspi.Registry.getDesktop(0).childCount >= 0
    except Exception:  # the registry daemon is still starting
        return False


# A program that starts before the registry answers may never be listed on
# the desktop, so the registry comes first (it can be slow on a loaded machine).
expect(pump(30, registry_answers), "the accessibility registry does not answer")
program = subprocess.Popen([sys.argv[1]], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    check()
finally:
    program.terminate()
    program.wait(10)
print("PASS")
