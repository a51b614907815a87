#!/usr/bin/env bash
# Makes the installer, installs silently under Wine, starts the installed program until its main
# window shows, and uninstalls silently: nothing of the program stays.
# Usage: installer_test.sh BUILD_DIR
set -euo pipefail
build=$1
# Wine would copy the Start-menu entry into the host's desktop menus.
export WINEDLLOVERRIDES="winemenubuilder.exe=d"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config "$build/CPackConfig.cmake" -G NSIS -B "$work" >/dev/null
installer=$(ls "$work"/*.exe)
wine "$installer" /S
wineserver -w
folder=$(winepath -u 'C:\Program Files\Kwintor Dostrojnik')
[[ -f "$folder/dostrojnik.exe" ]] || { echo "not installed into $folder"; exit 1; }
[[ -f "$folder/Uninstall.exe" ]] || { echo "no uninstaller"; exit 1; }
# The Start menu of all users or of the user, as the installer's rights allow.
drive_c=$(winepath -u 'C:\')
menu_entry() { find "$drive_c" -path '*Start Menu*' -name 'Kwintor Dostrojnik 2004.lnk' | head -n 1; }
menu=$(menu_entry)
[[ -n "$menu" ]] || { echo "no Start-menu entry"; exit 1; }

# Windows has the shell's policy key from the start; the program writes there when it starts.
wine reg add 'HKCU\Software\Microsoft\Windows\CurrentVersion\Policies\Explorer' /f >/dev/null
wine "$folder/dostrojnik.exe" &
program=$!
shown=""
for _ in $(seq 100); do
    # The main window, not a message box of the same title: it is over 500 pixels wide.
    for window in $(xdotool search --onlyvisible --name '^Kwintor Dostrojnik 2004$' 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$window")"
        if ((WIDTH > 500)); then
            shown=yes
        fi
    done
    [[ -n "$shown" ]] && break
    sleep 0.2
done
kill "$program" 2>/dev/null || true
wineserver -k 2>/dev/null || true
[[ -n "$shown" ]] || { echo "the installed program showed no main window"; exit 1; }

# The uninstaller runs on from a copy of itself: wait for every process of the prefix.
wine "$folder/Uninstall.exe" /S
wineserver -w
[[ ! -e "$folder/dostrojnik.exe" ]] || { echo "the uninstaller left the program"; exit 1; }
[[ -z "$(menu_entry)" ]] || { echo "the uninstaller left the Start-menu entry"; exit 1; }
echo "installed, started and uninstalled"
