#!/usr/bin/env bash
# An installation into a temporary prefix works as one under /usr would: every tool answers /?
# and --help, in Polish under a Polish locale, dostrojnik --help and --version touch nothing,
# the installed program starts on a fresh machine and keeps its settings file under
# XDG_CONFIG_HOME, never beside itself; the desktop entry, the icons and the AppStream metainfo
# are what desktops and software centres accept; and the Debian package builds and lintian finds
# neither error nor warning.
#     install_test.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
source "$(dirname "${BASH_SOURCE[0]}")/../x11/common.sh"

root="$work/root"
usr="$root/usr"
DESTDIR="$root" cmake --install "$build" --prefix /usr --strip > "$work/install.txt"

# What a desktop and man expect: each program with its manual pages in both languages, the
# desktop entry, and the icon in every size of the hicolor theme.
programs=()
for program in "$usr"/bin/*; do
    programs+=("$(basename "$program")")
done
check "programs installed" "${programs[*]}" "$(cd "$build/bin" && ls dostrojnik dostrojnik-* | tr '\n' ' ' | sed 's/ $//')"
for program in "${programs[@]}"; do
    for page in "$usr/share/man/man1/$program.1.gz" "$usr/share/man/pl/man1/$program.1.gz"; do
        check "manual page ${page#"$usr/"}" "$(gzip -dc "$page" 2>/dev/null | grep -c '^\.TH ' || true)" "1"
    done
done
desktop_entry="$usr/share/applications/kwintor-dostrojnik.desktop"
check "desktop entry valid, without hints" "$(desktop-file-validate "$desktop_entry" 2>&1 || true)" ""
for size in 16 22 24 32 48 64 128 256; do
    check "icon ${size}x$size" "$(file -b "$usr/share/icons/hicolor/${size}x$size/apps/kwintor-dostrojnik.png" | cut -d, -f1-2)" \
        "PNG image data, $size x $size"
done
check "scalable icon" "$(file -b "$usr/share/icons/hicolor/scalable/apps/kwintor-dostrojnik.svg" | cut -d' ' -f1-4)" \
    "SVG Scalable Vector Graphics"

# The AppStream metainfo, with a screenshot of the main window. A build without a web page has
# none (its identifier and the screenshot's address come from the page): then the same template
# is tried with a web page of the test's own.
metainfo=("$usr"/share/metainfo/*.metainfo.xml)
if [[ ! -e "${metainfo[0]}" ]]; then
    check "no metainfo without a web page" "$(grep -c '^DOSTROJNIK_HOMEPAGE_URL:STRING=$' "$build/CMakeCache.txt")" "1"
    cmake -DMETAINFO_HOMEPAGE=https://kwintor.test/dostrojnik -DMETAINFO_AUTHOR="Kwintor Dostrojnik developers" \
        -DMETAINFO_EMAIL= -DMETAINFO_VERSION=2.0 -DMETAINFO_OUTPUT_DIR="$work/metainfo" \
        -P "$(dirname "${BASH_SOURCE[0]}")/../../packaging/metainfo.cmake"
    metainfo=("$work"/metainfo/*.metainfo.xml)
fi
status=0
appstreamcli validate --no-net --pedantic "${metainfo[0]}" > "$work/appstream.txt" 2>&1 || status=$?
sed 's/^/appstream: /' "$work/appstream.txt"
check "metainfo valid" "$status" "0"
check "metainfo launches the desktop entry" \
    "$(grep -c '<launchable type="desktop-id">kwintor-dostrojnik.desktop</launchable>' "${metainfo[0]}")" "1"
check "metainfo shows the main window" "$(grep -c '<image>https://.*/docs/main-window.png</image>' "${metainfo[0]}")" "1"
# The programs find each other beside themselves: no path of the build is in them.
check "no build path in the installation" "$(grep -rlF "$build" "$root" || true)" ""
# The Windows registry helper, when the Windows build made it, lies where the programs look for it.
helper_built=$(sed -n 's/^DOSTROJNIK_REGISTRY_HELPER_EXE:FILEPATH=//p' "$build/CMakeCache.txt")
helper="usr/libexec/kwintor-dostrojnik/dostrojnik-registry.exe"
if [[ -f "$helper_built" ]]; then
    check "registry helper installed" "$(file -b "$root/$helper" | cut -d' ' -f1-2)" "PE32+ executable"
fi

for program in "${programs[@]}"; do
    [[ "$program" == dostrojnik ]] && continue # the configuration tool: below
    for option in '/?' --help; do
        status=0
        WINEPREFIX="$work/machine" "$usr/bin/$program" "$option" > "$work/help.txt" 2>&1 || status=$?
        check "$program $option succeeds" "$status" "0"
        check "$program $option explains itself" "$([[ -s "$work/help.txt" ]] && echo yes)" "yes"
    done
done
# The tools speak Polish from the installed catalogue, whether or not the locale is generated.
check "catalogue installed" "$([[ -f "$usr/share/locale/pl/LC_MESSAGES/kwintor-dostrojnik.mo" ]] && echo yes)" "yes"
check "dostrojnik-reg in Polish" "$(env -u LC_ALL -u LANGUAGE LANG=pl_PL.UTF-8 "$usr/bin/dostrojnik-reg" /? | head -1)" "Użycie:"
check "dostrojnik-reg in English" "$(env -u LC_ALL -u LANGUAGE LANG=C "$usr/bin/dostrojnik-reg" /? | head -1)" "Usage:"
# --help and --version answer without a display, a machine or a settings file.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
for option in --version -V; do
    check "dostrojnik $option" "$(env -u DISPLAY WINEPREFIX="$work/absent" XDG_CONFIG_HOME="$work/absent" \
        "$usr/bin/dostrojnik" "$option" 2>&1; echo "status $?")" "$(printf 'dostrojnik %s\nstatus 0' "$version")"
done
check "dostrojnik --help" "$(env -u DISPLAY WINEPREFIX="$work/absent" XDG_CONFIG_HOME="$work/absent" \
    "$usr/bin/dostrojnik" --help 2>&1 | head -1)" "Usage: dostrojnik [OPTION]..."
check "nothing made by --help and --version" "$(ls -A "$work/absent" "$usr/bin"/*.ini 2>/dev/null || true)" ""
# The manual of the program describes restore points and leads to the restore tool.
for page in man1 pl/man1; do
    manual=$(gzip -dc "$usr/share/man/$page/dostrojnik.1.gz")
    check "$page/dostrojnik(1) restore points" "$(grep -cE '^\.SH (RESTORE POINTS|PUNKTY PRZYWRACANIA)' <<<"$manual")" "1"
    check "$page/dostrojnik(1) SEE ALSO dostrojnik-restore(1)" \
        "$(sed -n '/^\.SH \(SEE ALSO\|ZOBACZ TAKŻE\)/,$p' <<<"$manual" | grep -c '^\.BR dostrojnik\\-restore (1)')" "1"
done

# A fresh user: no machine folder yet, and the installed program's folder is writable (as root
# it is), so only its installation keeps it from writing its settings file there.
export HOME="$work/home" XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config"
unset WINEPREFIX
mkdir -p "$HOME"
installed=$(ls -A "$usr/bin")
QT_QPA_PLATFORM=xcb "$usr/bin/dostrojnik" > "$work/output.txt" 2>&1 &
pid=$!
window=$(mapped_window "Kwintor Dostrojnik 2004") || fail "the main window did not appear" "$work/output.txt"
echo "ok: main window shown"
# A desktop ties the window to its entry, and so to its icon, by the window's class.
check "StartupWMClass is the window's class" \
    "$(xprop -id "$window" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\(.*\)"$/\1/p')" \
    "$(sed -n 's/^StartupWMClass=//p' "$desktop_entry")"
check "machine made" "$(ls "$XDG_DATA_HOME/kwintor-dostrojnik/machine")" "$(printf 'drive_c\nsystem.reg\nuser.reg')"

# The close target in the main window's top-right corner asks about a restart; "Nie" is the
# default button, and the program ends writing its settings.
read -r x y < <(xwininfo -id "$window" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x, y}')
xdotool mousemove $((x + 561)) $((y + 11)) click 1
prompt=$(mapped_window "System Windows") || fail "no restart prompt" "$work/output.txt"
xdotool key --window "$prompt" Return 2>/dev/null || true
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end" "$work/output.txt"
wait "$pid" || true
pid=
settings="$XDG_CONFIG_HOME/kwintor-dostrojnik/dostrojnik.ini"
check "settings written under XDG_CONFIG_HOME" "$(grep -c '^\[Wersja\]' "$settings" 2>/dev/null || true)" "1"
check "settings folder private" "$(stat -c %a "$XDG_CONFIG_HOME/kwintor-dostrojnik")" "700"
check "nothing written beside the program" "$(ls -A "$usr/bin")" "$installed"

# The Debian package: dependencies from dpkg-shlibdeps, and neither error nor warning of lintian.
# A build without the author's e-mail address names whoever builds the package as its maintainer,
# an address on this host that lintian rightly questions, so the test gives it one of its own.
config="$build/CPackConfig.cmake"
if grep -q '^DOSTROJNIK_EMAIL:STRING=$' "$build/CMakeCache.txt"; then
    check "the builder is the maintainer of a package without the author's address" \
        "$(grep -c 'CPACK_DEBIAN_PACKAGE_MAINTAINER "[^"]* <[^@ ]*@[^> ]*>"' "$config")" "1"
    config="$work/CPackConfig.cmake"
    printf 'include("%s")\nset(CPACK_DEBIAN_PACKAGE_MAINTAINER "Kwintor Dostrojnik developers <packages@kwintor.test>")\n' \
        "$build/CPackConfig.cmake" > "$config"
fi
cpack --config "$config" -G DEB -B "$work/deb" > "$work/cpack.txt" 2>&1 || fail "cpack failed" "$work/cpack.txt"
package=$(ls "$work"/deb/*.deb)
depends=$(dpkg-deb -f "$package" Depends)
for library in libc6 libqt6widgets6 libturbojpeg0; do
    check "package depends on $library" "$(grep -c "$library" <<<"$depends" || true)" "1"
done
if [[ -f "$helper_built" ]]; then
    check "registry helper in the package" "$(dpkg-deb -c "$package" | grep -c " \./$helper\$" || true)" "1"
fi
lintian "$package" > "$work/lintian.txt" 2>&1 || true
sed 's/^/lintian: /' "$work/lintian.txt"
check "lintian errors and warnings" "$(grep -c '^[EW]:' "$work/lintian.txt" || true)" "0"
check "package's changelog signed by its maintainer" \
    "$(dpkg-deb --fsys-tarfile "$package" | tar -xOf - ./usr/share/doc/kwintor-dostrojnik/changelog.gz | gzip -dc \
       | grep -c "^ -- $(dpkg-deb -f "$package" Maintainer)  ")" "1"

[[ $failures == 0 ]]
