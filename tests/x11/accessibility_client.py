"""What a screen reader does, through the AT-SPI registry: finds the program by its process id,
finds a push button by its name in the accessible tree, and presses it.

    accessibility_client.py <pid> <button name> [<button name> ...]

Presses the buttons in turn, each one waited for (a window may open on the way). Exit code 3
when the program never shows up on the accessibility bus, 1 when a button is missing."""

import sys
import time

import pyatspi


def wait_for(find, seconds):
    deadline = time.monotonic() + seconds
    while True:
        found = find()
        if found is not None or time.monotonic() > deadline:
            return found
        time.sleep(0.2)


def application(pid):
    def find():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid:
                return app
        return None
    return wait_for(find, 20)


def button(app, name):
    def matches(accessible):
        return (accessible is not None and accessible.getRole() == pyatspi.ROLE_PUSH_BUTTON
                and accessible.name == name)
    return wait_for(lambda: pyatspi.utils.findDescendant(app, matches), 10)


def press(accessible):
    action = accessible.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() == "press":
            return action.doAction(i)
    return False


def main():
    pid = int(sys.argv[1])
    app = application(pid)
    if app is None:
        print("the program never showed up on the accessibility bus")
        return 3
    for name in sys.argv[2:]:
        target = button(app, name)
        if target is None:
            print(f"no push button named '{name}'")
            return 1
        if not press(target):
            print(f"'{name}' could not be pressed")
            return 1
        print(f"pressed '{name}'")
    return 0


if __name__ == "__main__":
    sys.exit(main())
