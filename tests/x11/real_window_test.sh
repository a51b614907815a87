#!/usr/bin/env bash
# The real main window under X: borderless, shaped by the colour key, and 200/255 opaque when
# section "Okno" of the settings file asks for it.
#     real_window_test.sh <dostrojnik> <shape_probe>
set -euo pipefail
program=$1
probe=$2
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

# The settings file lies beside the executable, so the program runs from a copy.
cp "$program" "$work/dostrojnik"
# Windows-1250: "ś" is \x9c, "ć" is \xe6.
printf '[Okno]\r\nPrzezroczysto\x9c\xe6 (0 lub 1)=1\r\nWarto\x9c\xe6 przezroczysto\x9cci (0 [niewidoczne] do 255 [widoczne])=200\r\n' \
    > "$work/dostrojnik.ini"
WINEPREFIX="$work/machine" QT_QPA_PLATFORM=xcb "$work/dostrojnik" > "$work/output.txt" 2>&1 &
pid=$!

window=$(mapped_window "Kwintor Dostrojnik 2004") || fail "the main window was not mapped" "$work/output.txt"

# Frameless: the window asks for no decorations (flags: decorations; decorations: none).
IFS=', ' read -r -a hints <<<"$(xprop -id "$window" _MOTIF_WM_HINTS | sed 's/.*= //')"
check "decorations flag" "$(( ${hints[0]:-0} & 2 ))" "2"
check "no window decorations" "${hints[2]:-none}" "0x0"

# Shaped: the top-left corner is fuchsia on the background picture and lies outside the
# window's shape; the middle of the window is inside.
width=$(xwininfo -id "$window" | awk '/Width:/ {print $2}')
height=$(xwininfo -id "$window" | awk '/Height:/ {print $2}')
check "colour key outside the shape" "$("$probe" "$window" 0 0)" "outside"
check "face inside the shape" "$("$probe" "$window" $((width / 2)) $((height / 2)))" "inside"

# 200/255 of 0xffffffff, rounded.
expected=$(awk 'BEGIN { printf "%.0f", 200 / 255 * 4294967295 }')
check "window opacity" "$(xprop -id "$window" _NET_WM_WINDOW_OPACITY | sed 's/.*= //')" "$expected"

kill "$pid"
wait "$pid" 2>/dev/null || true
pid=
# A process ended from outside writes nothing.
check "settings file untouched" "$(grep -c 'Menu' "$work/dostrojnik.ini" || true)" "0"

[[ $failures == 0 ]]
