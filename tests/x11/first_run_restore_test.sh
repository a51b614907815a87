#!/usr/bin/env bash
# On a new machine the first-run panel's "Przywracanie systemu" opens the restore tool: the
# program hands "start ...\rstrui.exe" to its interpreter, which starts the tool beside it. The
# programs run from a folder they were copied to, so nothing leans on where they were built; the
# tool becomes its window program, which lies where the installation keeps it.
#     first_run_restore_test.sh <dostrojnik> <dostrojnik-cmd> <dostrojnik-restore> <dostrojnik-restore-window>
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
mkdir "$work/bin"
cp "$1" "$2" "$3" "$work/bin/"
mkdir -p "$work/libexec/kwintor-dostrojnik"
cp "$4" "$work/libexec/kwintor-dostrojnik/"
tool=
trap 'if [[ -n "$tool" ]]; then kill "$tool" 2>/dev/null || true; fi; cleanup' EXIT

WINEPREFIX="$work/machine" QT_QPA_PLATFORM=xcb "$work/bin/dostrojnik" > "$work/output.txt" 2>&1 &
pid=$!
window=$(mapped_window "Kwintor Dostrojnik 2004") || fail "the main window was not mapped" "$work/output.txt"

# The button lies at (103, 182), 188 x 17, in the window.
xdotool mousemove --window "$window" 197 190 click 1
restore_window=$(mapped_window "Przywracanie systemu") || fail "the restore tool did not open" "$work/output.txt"
tool=$(xprop -id "$restore_window" _NET_WM_PID | sed 's/.*= //')
check "the tool beside the program runs" "$(readlink "/proc/$tool/exe")" \
    "$work/libexec/kwintor-dostrojnik/dostrojnik-restore-window"
check "the machine holds no host path" "$(grep -rl --binary-files=text "$work/bin\|$work/libexec" "$work/machine" || true)" ""

kill "$tool" "$pid"
wait "$pid" 2>/dev/null || true
tool=
pid=
[[ $failures == 0 ]]
