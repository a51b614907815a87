# Sourced by the X11 test scripts: a display or skip, a work folder removed at the end together
# with the program under test (its pid in `pid`), waiting for a window to be mapped, and checks
# that count their failures (the script ends with `[[ $failures == 0 ]]`).

if [[ -z "${DISPLAY:-}" ]]; then
    echo "no X display"
    exit 77
fi
work=$(mktemp -d)
pid=
cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Prints the id of the first viewable window named `name`, waiting up to 10 s; fails without one.
mapped_window() { # name
    local info
    for _ in $(seq 100); do
        if info=$(xwininfo -name "$1" 2>/dev/null) && grep -q "IsViewable" <<<"$info"; then
            awk '/Window id:/ {print $4}' <<<"$info"
            return 0
        fi
        sleep 0.1
    done
    return 1
}

failures=0
check() { # description, actual, expected
    if [[ "$2" == "$3" ]]; then
        echo "ok: $1"
    else
        echo "FAIL: $1: got '$2', expected '$3'"
        failures=$((failures + 1))
    fi
}

# Ends the test at once, showing the program's output file when one is given.
fail() { # message [output file]
    echo "FAIL: $1"
    [[ -n "${2:-}" ]] && cat "$2"
    exit 1
}
