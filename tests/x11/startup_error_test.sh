#!/usr/bin/env bash
# An error that escapes start-up (here: a machine folder that cannot be made) shows the error box,
# and the program ends with exit code 0 once it is confirmed.
#     startup_error_test.sh <dostrojnik>
set -euo pipefail
program=$1
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
cp "$program" "$work/dostrojnik"
WINEPREFIX=/proc/no-such-folder/machine QT_QPA_PLATFORM=xcb "$work/dostrojnik" > "$work/output.txt" 2>&1 &
pid=$!

box=$(mapped_window "Kwintor Dostrojnik 2004") || fail "no error box" "$work/output.txt"
# The error box, not the main window: it is small and the program has made no settings file.
width=$(xwininfo -id "$box" | awk '/Width:/ {print $2}')
if [[ "$width" == 574 ]]; then
    echo "FAIL: the main window came up instead of the error box"
    exit 1
fi
echo "ok: error box shown"
# The box may be gone before the key is released, which xdotool reports as an error.
xdotool key --window "$box" Return 2>/dev/null || true
status=0
wait "$pid" || status=$?
pid=
if [[ $status != 0 ]]; then
    echo "FAIL: exit code $status"
    exit 1
fi
echo "ok: exit code 0"
[[ ! -e "$work/dostrojnik.ini" ]]
