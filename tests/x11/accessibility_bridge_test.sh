#!/usr/bin/env bash
# The program as a screen reader sees it, through the real AT-SPI bridge on a session bus of its
# own: on a fresh machine, the main menu's "Awaria" opens the Crash window, whose
# "Automatyczne restartowanie: Wyłącz" writes AutoReboot = 0 into the machine's registry, and whose
# comments switches are check boxes that show which one is on.
#     accessibility_bridge_test.sh <dostrojnik> <dostrojnik-reg>
# Skipped (77) only when the bridge cannot start here; DOSTROJNIK_REQUIRE_ATSPI=1 makes that a
# failure.
set -euo pipefail
program=$1
reg=$2
here=$(dirname "${BASH_SOURCE[0]}")

skip() {
    echo "SKIP: the AT-SPI bridge cannot start: $1"
    [[ -n "${DOSTROJNIK_REQUIRE_ATSPI:-}" ]] && exit 1
    exit 77
}
# Debian's client library is for Debian's own Python, whatever else is first on the PATH.
python=/usr/bin/python3
[[ -x $python ]] || python=$(command -v python3) || skip "no python3"
command -v dbus-run-session >/dev/null || skip "no dbus-run-session (package dbus-daemon)"
command -v dbus-send >/dev/null || skip "no dbus-send (package dbus-bin)"
[[ -x /usr/libexec/at-spi-bus-launcher ]] || skip "no at-spi-bus-launcher (package at-spi2-core)"
"$python" -c "import pyatspi" 2>/dev/null || skip "no pyatspi (package python3-pyatspi)"

# From here on inside a private session bus: the accessibility bus and its registry start from it
# on demand, and go with it.
if [[ -z "${ACCESSIBILITY_SESSION:-}" ]]; then
    ACCESSIBILITY_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
source "$here/common.sh"

# What a screen reader does when it starts: it switches accessibility on.
dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.freedesktop.DBus.Properties.Set \
    string:org.a11y.Status string:IsEnabled variant:boolean:true >/dev/null 2>&1 \
    || skip "the accessibility bus does not start"

export WINEPREFIX=$work/machine
# The settings file lies beside the executable, so the program runs from a copy.
cp "$program" "$work/dostrojnik"
QT_QPA_PLATFORM=xcb "$work/dostrojnik" > "$work/output.txt" 2>&1 &
pid=$!
mapped_window "Kwintor Dostrojnik 2004" >/dev/null || fail "the main window was not mapped" "$work/output.txt"

autoreboot() {
    "$reg" query 'HKLM\SYSTEM\CurrentControlSet\Control\CrashControl' /v AutoReboot | awk '$1 == "AutoReboot" {print $3}'
}
check "AutoReboot of a stock machine" "$(autoreboot)" "0x1"

status=0
"$python" "$here/accessibility_client.py" "$pid" "Awaria" "Automatyczne restartowanie: Wyłącz" \
    "?Włącz komentarze=checked" "?Wyłącz komentarze=unchecked" "Wyłącz komentarze" \
    "?Włącz komentarze=unchecked" "?Wyłącz komentarze=checked" \
    > "$work/client.txt" || status=$?
cat "$work/client.txt"
[[ $status == 3 ]] && skip "the program does not show up on the accessibility bus"
[[ $status == 0 ]] || fail "the client could not press the buttons" "$work/output.txt"
# The switches as the window opened (comments on), then after pressing "Wyłącz komentarze".
expected=("Włącz komentarze: check box, checked" "Wyłącz komentarze: check box, unchecked"
          "Włącz komentarze: check box, unchecked" "Wyłącz komentarze: check box, checked")
mapfile -t seen < <(grep ": check box\|: push button" "$work/client.txt")
for i in "${!expected[@]}"; do
    check "comments switch, reading $((i + 1))" "${seen[$i]:-}" "${expected[$i]}"
done

# The press reaches the program through its event loop.
for _ in $(seq 50); do
    [[ "$(autoreboot)" == "0x0" ]] && break
    sleep 0.1
done
check "AutoReboot after pressing Wyłącz" "$(autoreboot)" "0x0"

kill "$pid" || fail "the program ended on its own" "$work/output.txt"
wait "$pid" 2>/dev/null || true
pid=
[[ $failures == 0 ]]
