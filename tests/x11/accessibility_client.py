"""What a screen reader does, through the AT-SPI registry: finds the program by its process id,
finds a control by its name in the accessible tree, and presses it or reads it.

    accessibility_client.py <pid> <name> [<name> ...]

Presses the push buttons or check boxes in turn, each one waited for (a window may open on the
way); a name written "?name=checked" or "?name=unchecked" is only read, once it has that state
or after 5 s: its role and state are printed as "name: role, checked". Exit code 3 when the program never shows up on the accessibility bus, 1
when a control is missing."""

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
        return (accessible is not None and accessible.name == name
                and accessible.getRole() in (pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_CHECK_BOX))
    return wait_for(lambda: pyatspi.utils.findDescendant(app, matches), 10)


def press(accessible):
    action = accessible.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() in ("press", "toggle"):
            return action.doAction(i)
    return False


def main():
    pid = int(sys.argv[1])
    app = application(pid)
    if app is None:
        print("the program never showed up on the accessibility bus")
        return 3
    for name in sys.argv[2:]:
        read = name.startswith("?")
        name, _, expected = name.removeprefix("?").partition("=")
        target = button(app, name)
        if target is None:
            print(f"no push button or check box named '{name}'")
            return 1
        if read:
            def state():
                checked = target.getState().contains(pyatspi.STATE_CHECKED)
                return "checked" if checked else "unchecked"
            wait_for(lambda: True if state() == expected else None, 5)
            print(f"{name}: {target.getRoleName()}, {state()}")
            continue
        if not press(target):
            print(f"'{name}' could not be pressed")
            return 1
        print(f"pressed '{name}'")
    return 0


if __name__ == "__main__":
    sys.exit(main())
