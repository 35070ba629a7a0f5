"""Reads the program's accessibility tree through AT-SPI, as a screen reader does.

    accessible-tree.py bus           exits 0 when the accessibility bus answers, 1 otherwise
    accessible-tree.py game PID      checks what the running program with that process id says:
                                     the counters named by their headings and the reel naming
                                     the letter of a stop that waits for its key
"""
import re
import subprocess
import sys
import time

import pyatspi
from gi.repository import Atspi, GLib

# Names announced through "object:property-change:accessible-name", as a screen reader hears them.
announced = []


def on_name_changed(event):
    try:
        announced.append(event.source.name)
    except Exception:
        pass


def pump():
    context = GLib.MainContext.default()
    while context.iteration(False):
        pass


def fail(message):
    print(f"e2e: FAIL: {message}", file=sys.stderr)
    sys.exit(1)


def nodes(accessible, depth=0):
    # The program's windows are small; a bound keeps a broken tree from running for ever.
    if accessible is None or depth > 30:
        return
    yield accessible
    for i in range(accessible.childCount):
        yield from nodes(accessible.getChildAtIndex(i), depth + 1)


def application(pid, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in (desktop.getChildAtIndex(i) for i in range(desktop.childCount)):
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        time.sleep(0.2)
    fail(f"the program (process {pid}) did not appear on the accessibility bus")


def names(app):
    found = []
    for node in nodes(app):
        try:
            found.append((node.getRoleName(), node.name, node.description))
        except Exception:
            pass
    return found


def wait_for(app, pattern, what, seconds=30):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        for role, name, description in names(app):
            match = re.fullmatch(pattern, name or "")
            if match:
                return match, role, description
        pump()
        time.sleep(0.1)
    fail(f"nothing is named like {pattern!r} ({what}); the tree holds {sorted(set(n for _, n, _ in names(app)))}")


def key(*keys):
    subprocess.run(["xdotool", "key", *keys], check=True)


def game(pid):
    app = application(pid)
    listener = Atspi.EventListener.new(on_name_changed)
    listener.register("object:property-change:accessible-name")
    wait_for(app, "MISS 0", "the miss counter with its heading")
    wait_for(app, "SCORE 0", "the score counter with its heading")
    _, role, description = wait_for(app, "リール", "the reel before a game")
    if not description:
        fail("the reel has no description")
    print(f"e2e: the reel is a {role}: {description}")

    key("Return")
    key("1")  # a miss before the first stop
    wait_for(app, "MISS 1", "the miss counter after a wrong key")
    wait_for(app, "SCORE 500", "the score counter after a wrong key")
    match, _, _ = wait_for(app, "リール: ([A-Z])", "the reel at a stop")
    letter = match.group(1)
    print(f"e2e: the reel stopped on {letter}")
    deadline = time.monotonic() + 5
    while f"リール: {letter}" not in announced and time.monotonic() < deadline:
        pump()
        time.sleep(0.05)
    if f"リール: {letter}" not in announced:
        fail(f"the stop was not announced; names announced: {announced}")
    key(letter.lower())
    wait_for(app, "リール", "the reel running again after the right key")
    wait_for(app, "SCORE (?!500$)[0-9]+", "the score counter after the right key")

    print("e2e: the counters and the reel's stopped letter were read through AT-SPI")


def main():
    if sys.argv[1] == "bus":
        try:
            pyatspi.Registry.getDesktop(0).childCount
        except Exception as error:
            print(error, file=sys.stderr)
            sys.exit(1)
        sys.exit(0)
    game(int(sys.argv[2]))


main()
