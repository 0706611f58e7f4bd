"""What a screen reader finds in the running program, read over AT-SPI.

Run by test_atspi.sh on a private display and buses; the one argument is the
program to start. Exits non-zero with a message at the first failure.
"""
import pathlib
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

STATUS_NAMES = []  # what the status line announced, in order
FOCUSED = []  # (role, name, table row) of each accessible that took the focus, in order
HEADERS = ["Game ...", "White", "Black", "Limit at", "White Limit", "Black Limit", "Time stop at"]
GAMES = {"Alpha": "00:21:48", "Beta": "00:31:48", "Gamma": "00:41:48"}  # and the time their game stopped at


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


def write_archive(path):
    """The id record, then one game record for each of GAMES."""
    ident = "ID".ljust(15).encode() + bytes(78) + b"000" + bytes(6)
    games = (name.ljust(15) + "Anna".ljust(30) + "Bruno".ljust(30) + "001207000941" + stop.replace(":", "")
             + "30 18 21 " for name, stop in GAMES.items())
    path.write_bytes(ident + "".join(games).encode())


def on_focus(event):
    source = event.source
    if event.detail1 != 1 or source is None:
        return
    try:
        cell = source.getRole() == pyatspi.ROLE_TABLE_CELL
        row = source.parent.queryTable().getRowAtIndex(source.getIndexInParent()) if cell else None
        FOCUSED.append((source.getRoleName(), source.name, row))
    except GLib.GError:  # a window closing takes its cells with it
        pass


def check_browser():
    """The saved games as a table a screen reader can walk, cell by cell."""
    FOCUSED.clear()
    keys("Varko Chronometer", "ctrl+o")
    browser = top_level("Saved Game", pyatspi.ROLE_DIALOG)
    program = browser.parent
    tables = [o for o in present(browser) if o.name == "Saved games"]
    expect(len(tables) == 1 and tables[0].getRole() == pyatspi.ROLE_TABLE,
           f"saved games offered as {[o.getRoleName() for o in tables]}")
    table = tables[0].queryTable()
    headers = [table.getColumnHeader(c).name for c in range(table.nColumns)]
    expect(headers == HEADERS, f"column headers {headers}")
    cells = [table.getAccessibleAt(r, 0).name for r in range(table.nRows)]
    expect(cells == list(GAMES) + [""], f"first column reads {cells}")
    # The focus goes to the grid, and from there to its current cell: the
    # first game's last column.
    first = ("table cell", GAMES["Alpha"], 0)
    expect(pump(10, lambda: ("table", "Saved games", None) in FOCUSED and FOCUSED[-1] == first),
           f"on opening the focus went to {FOCUSED}")
    FOCUSED.clear()
    keys("Saved Game", "Down")
    expect(pump(10, lambda: ("table cell", GAMES["Beta"], 1) in FOCUSED), f"after Down the focus went to {FOCUSED}")
    keys("Saved Game", "Tab", "Tab", "space")  # to Exit, and press it
    expect(pump(10, lambda: all(w.name != "Saved Game" for w in present(program))), "the browser stayed open")


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
    pyatspi.Registry.registerEventListener(on_focus, "object:state-changed:focused")
    check_browser()

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
write_archive(pathlib.Path(sys.argv[1]).parent / "Varko.dat")
program = subprocess.Popen([sys.argv[1]], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    check()
finally:
    program.terminate()
    program.wait(10)
print("PASS")
