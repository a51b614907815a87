#!/usr/bin/env bash
# Real input through the X server (pointer moves, a click, a key, a wheel turn) ends an idle
# spell of the program's idle monitor; with no input the spell comes back.
#     idle_input_test.sh <idle_probe>
set -euo pipefail
probe=$1
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
if ! command -v xdotool >/dev/null; then
    echo "xdotool is missing"
    exit 77
fi

QT_QPA_PLATFORM=xcb "$probe" > "$work/pace.txt" 2> "$work/errors.txt" &
pid=$!

# Waits until the probe has printed `word` more than `count` times.
wait_for() { # word, count
    for _ in $(seq 100); do
        if (( $(grep -c "^$1\$" "$work/pace.txt" || true) > $2 )); then
            return 0
        fi
        sleep 0.05
    done
    echo "FAIL: no '$1' after $(($2 + 1)) times; the probe said:"
    cat "$work/pace.txt" "$work/errors.txt"
    return 1
}

failures=0
wait_for idle 0
xdotool mousemove 50 50
xdotool mousemove 60 70
wait_for awake 0 && echo "ok: pointer move" || failures=$((failures + 1))
wait_for idle 1
xdotool mousemove 100 100 click 1
wait_for awake 1 && echo "ok: click" || failures=$((failures + 1))
wait_for idle 2
xdotool key space
wait_for awake 2 && echo "ok: key" || failures=$((failures + 1))
wait_for idle 3
xdotool click 5
wait_for awake 3 && echo "ok: wheel" || failures=$((failures + 1))
wait_for idle 4 && echo "ok: idle again without input" || failures=$((failures + 1))

kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
[[ $failures == 0 ]]
