# Sourced by the X11 test scripts: a display or skip, a work folder removed at the end together
# with the program under test (its pid in `pid`), and waiting for a window to be mapped.

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
