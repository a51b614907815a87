#!/usr/bin/env bash
# The Debian package on a system that has nothing else: a minimal Debian 12 made by mmdebstrap
# installs it without recommended packages, the installed program decodes a picture of every
# preview format and starts, each installed tool runs once, and a purge leaves nothing of it.
# A run-time need that the package's dependencies miss fails here, naming what was missing.
#     clean_system_test.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
pictures=$(cd "$(dirname "${BASH_SOURCE[0]}")/../data/pictures" && pwd)
suite=${DOSTROJNIK_CLEAN_SUITE:-bookworm}

command -v mmdebstrap >/dev/null || { echo "FAIL: mmdebstrap is missing (scripts/setup installs it)"; exit 1; }
[[ "$(id -u)" == 0 ]] || { echo "no root: mmdebstrap needs it to run a chroot"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/deb" > "$work/cpack.txt" 2>&1 || {
    cat "$work/cpack.txt"
    echo "FAIL: cpack failed"
    exit 1
}
package=$(ls "$work"/deb/*.deb)
name=$(dpkg-deb -f "$package" Package)
echo "package: $(basename "$package")"
echo "depends: $(dpkg-deb -f "$package" Depends)"

# What runs inside the new system, after the package is installed.
mkdir -p "$work/in"
cp "$package" "$work/in/package.deb"
cp "$pictures"/* "$work/in/"
cat > "$work/in/check.sh" <<'EOF'
#!/bin/sh
# Inside the clean system: every check prints "ok: ..." or "FAIL: ..."; the last line counts.
failures=0
ok() { echo "ok: $1"; }
bad() { echo "FAIL: $1"; failures=$((failures + 1)); }
export HOME=/tmp/home WINEPREFIX=/tmp/machine LANG=C.UTF-8
mkdir -p "$HOME"
cd /tmp/in

for program in $(dpkg -L "$1" | grep '^/usr/bin/'); do
    missing=$(ldd "$program" | grep 'not found')
    if [ -n "$missing" ]; then bad "$program lacks libraries: $missing"; else ok "$program finds its libraries"; fi
done

if dostrojnik --check-pictures bitmapa.bmp ikona.ico zdjecie.jpg rysunek.emf rysunek.wmf > pictures.txt 2>&1; then
    ok "every preview format decoded: $(tr '\n' ';' < pictures.txt)"
else
    bad "the installed program could not decode every preview format:"
    sed 's/^/    /' pictures.txt
fi

QT_QPA_PLATFORM=offscreen dostrojnik > program.txt 2>&1 &
pid=$!
sleep 3
if kill -0 "$pid" 2>/dev/null && [ -f "$WINEPREFIX/system.reg" ]; then
    ok "the program started offscreen and made its machine"
else
    bad "the program did not keep running offscreen:"
    sed 's/^/    /' program.txt
fi
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null

run() { # description, command...
    description=$1
    shift
    if "$@" > tool.txt 2>&1; then ok "$description"; else bad "$description:"; sed 's/^/    /' tool.txt; fi
}
run "dostrojnik-reg queries the registry" dostrojnik-reg query 'HKCU\Control Panel\Desktop'
run "dostrojnik-cmd runs a line" dostrojnik-cmd /c 'md C:\sprawdzenie'
run "dostrojnik-restore lists the points" dostrojnik-restore list
echo "inside: $failures failed"
[ "$failures" = 0 ]
EOF
chmod +x "$work/in/check.sh"

# After the purge: no package state and no file of the package anywhere. The file list is taken
# before the purge, the machine the checks made is the test's own data.
cat > "$work/in/purged.sh" <<'EOF'
#!/bin/sh
failures=0
status=$(dpkg-query -W -f='${db:Status-Abbrev}' "$1" 2>/dev/null)
if [ -n "$status" ]; then echo "FAIL: dpkg still knows the package ($status)"; failures=1; else echo "ok: dpkg no longer knows the package"; fi
left=$(while read -r file; do [ -e "$file" ] && [ ! -d "$file" ] && echo "$file"; done < /tmp/in/files.txt)
if [ -n "$left" ]; then echo "FAIL: files of the package left: $left"; failures=1; else echo "ok: none of its files is left"; fi
stray=$(find / -xdev \( -path /tmp -o -path /proc -o -path /var/log -o -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/cache/apt \) -prune -o -iname '*dostrojnik*' -print)
if [ -n "$stray" ]; then echo "FAIL: left behind: $stray"; failures=1; else echo "ok: nothing named after it anywhere"; fi
[ "$failures" = 0 ]
EOF
chmod +x "$work/in/purged.sh"

# The whole life of the package inside the new system: install, use, purge.
cat > "$work/in/inside.sh" <<'EOF'
#!/bin/sh
set -e
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q --no-install-recommends /tmp/in/package.deb > /tmp/in/apt.txt 2>&1 || { cat /tmp/in/apt.txt; exit 1; }
echo "ok: installed without recommended packages"
dpkg -L "$1" > /tmp/in/files.txt
/tmp/in/check.sh "$1"
apt-get purge -y -q --autoremove "$1" > /tmp/in/purge.txt 2>&1 || { cat /tmp/in/purge.txt; exit 1; }
/tmp/in/purged.sh "$1"
EOF
chmod +x "$work/in/inside.sh"

status=0
start=$(date +%s)
mmdebstrap --variant=apt --quiet "$suite" /dev/null \
    --customize-hook="copy-in $work/in /tmp" \
    --customize-hook="chroot \"\$1\" /tmp/in/inside.sh $name" \
    > "$work/mmdebstrap.txt" 2>&1 || status=$?
cat "$work/mmdebstrap.txt"
echo "clean system: $(($(date +%s) - start)) s"

# A missing file names the package that brings it on this machine, where the tests pass.
if [[ $status != 0 ]]; then
    grep -o '/usr/[^ ,:;]*' "$work/mmdebstrap.txt" | sort -u | while read -r path; do
        owner=$(dpkg -S "$path" 2>/dev/null | head -1 | cut -d: -f1) || true
        [[ -n "$owner" ]] && echo "FAIL: the clean system lacks $path, which $owner brings here: the package must depend on $owner"
    done
fi
[[ $status == 0 ]] && echo "ok: the package works on a clean system and leaves nothing" || echo "FAIL: clean-system check"
exit "$status"
