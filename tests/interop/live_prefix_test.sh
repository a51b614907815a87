#!/usr/bin/env bash
# While a Wine program holds a prefix, every value of the Crash window written through our
# registry tool, and every target of the Crash window clicked in the program, shows in
# `wine reg query` at once, and nothing is lost when the program and Wine's server end. Then
# the benchmark of a click against `wine reg add`.
# Usage: live_prefix_test.sh DOSTROJNIK-REG HELPER.EXE [LIVE_PREFIX_CLICKS [LIVE_PREFIX_BENCH]]
set -euo pipefail
reg=$1
helper=$2
clicks=${3:-}
bench=${4:-}
prefix=$(mktemp -d /tmp/dostrojnik-live-XXXXXX)
export WINEPREFIX=$prefix WINEDEBUG=-all
holder=
cleanup() {
    [[ -n "$holder" ]] && kill "$holder" 2>/dev/null
    wineserver -k 2>/dev/null || true
    rm -rf "$prefix"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    ps -eo pid,etime,args | grep -i '[w]ine\|\.exe' >&2 || true
    exit 1
}
# Waits for Wine's server to end, at most two minutes: a hang is a failure, not a stuck run.
server_ended() { timeout 120 wineserver -w; }

timeout 300 wineboot -i >/dev/null 2>&1 || fail "wineboot did not make the prefix"
server_ended || fail "Wine's server did not end after wineboot"
key='HKLM\SYSTEM\CurrentControlSet\Control\CrashControl'
# A long-running Wine program: cmd.exe waiting on its input.
mkfifo "$prefix/input"
wine cmd.exe <"$prefix/input" >/dev/null 2>&1 &
exec 3>"$prefix/input"
holder=$!
# Without the helper a write is refused once the server holds the files.
for attempt in $(seq 100); do
    DOSTROJNIK_REGISTRY_HELPER= "$reg" add 'HKCU\Software\DostrojnikProbe' /v Probe /d "$attempt" /f >/dev/null 2>&1 ||
        break
    sleep 0.1
done
refused=$(DOSTROJNIK_REGISTRY_HELPER= "$reg" add 'HKCU\Software\DostrojnikProbe' /v Probe /d last /f 2>&1 || true)
[[ "$refused" == *"in use by Wine's server"* ]] || fail "Wine's server never took the prefix: $refused"

for value in AutoReboot SendAlert CrashDumpEnabled LogEvent Overwrite; do
    for data in 1 0 1; do
        DOSTROJNIK_REGISTRY_HELPER=$helper "$reg" add "$key" /v $value /t REG_DWORD /d $data /f >/dev/null ||
            fail "writing $value through the helper"
        wine reg query "$key" /v $value | grep -q "REG_DWORD    0x$data" || fail "wine reg query does not show $value=$data"
    done
    DOSTROJNIK_REGISTRY_HELPER=$helper "$reg" query "$key" /v $value | grep -q "0x1" || fail "reading $value back"
done
if [[ -n "$bench" ]]; then
    timeout 300 "$bench" "$prefix" "$helper" || fail "the benchmark failed or did not end"
fi
# The program's own clicks leave every value at 0.
final=0x1
if [[ -n "$clicks" ]]; then
    DOSTROJNIK_REGISTRY_HELPER=$helper QT_QPA_PLATFORM=offscreen timeout 300 "$clicks" ||
        fail "the Crash window's clicks did not all show in Wine at once"
    final=0x0
fi

# The program ends; the server writes its registry back and ends too. cmd.exe is told to exit
# rather than left to see the end of its input: a Wine process started since (a service, the
# desktop) may hold the writing end too.
printf 'exit\r\n' >&3
exec 3>&-
for _ in $(seq 600); do
    kill -0 "$holder" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$holder" 2>/dev/null && fail "cmd.exe did not exit"
wait "$holder" || true
holder=
server_ended || fail "Wine's server did not end after the program"
for value in AutoReboot SendAlert CrashDumpEnabled LogEvent Overwrite; do
    "$reg" query "$key" /v $value | grep -q "REG_DWORD    $final" || fail "$value lost when Wine ended"
done
echo "live prefix: all Crash values written while Wine ran, none lost after it ended"
