#!/bin/bash
# measure-check.sh [BUILD]   (run by hand after `make build B=BUILD`)
# The cost of setup.exe's self-check on a 50 MB payload: one setup.exe made
# by mcftool build (it carries the check value, CMPFILE 122) and a copy of
# it whose check resource is renamed to 123 (so it installs as a setup.exe
# without one), each installed silently (/S) three times, alternating, in
# one run under the x86_64 twin's wine64. Prints each wall time and the
# medians.
set -eu
src=$(cd "$(dirname "$0")/../.." && pwd)
B=${1:-build}
win=$src/$B/win64
mcftool=$src/$B/host/tools/mcftool/mcftool
work=/var/tmp/korvu-measure-check
rm -rf "$work"; mkdir -p "$work/big"
chmod 1777 "$work"
python3 "$src/samples/make-ledger.py" "$work/big/Ledger.kdb" 840000
cp "$win/samples/Korvu72.exe" "$work/big/"
"$mcftool" build --stub "$win/setup.exe" "$work/with.exe" "$work/big" >/dev/null
python3 - "$work/with.exe" "$work/without.exe" <<'PY'
import sys
d = bytearray(open(sys.argv[1], 'rb').read())
# The id entries of the CMPFILE type: 121, then 122 (subdirectory offsets
# have their high bit set).
i = d.find(b'\x79\x00\x00\x00')
while i >= 0 and not (d[i + 7] & 0x80 and d[i + 8:i + 12] == b'\x7a\x00\x00\x00'):
    i = d.find(b'\x79\x00\x00\x00', i + 1)
assert i >= 0, 'no id entry 122 after 121'
d[i + 8] = 0x7b
open(sys.argv[2], 'wb').write(d)
PY
"$src/cmake/wine-env" start "$win" >/dev/null
run() {   # run NAME DIR: seconds of one silent installation into C:\DIR
    local start end
    start=$(date +%s.%N)
    "$src/cmake/wine-run" "$win" "$work/$1.exe" /S "/D=C:\\$2" || echo "exit status $?" >&2
    end=$(date +%s.%N)
    "$src/cmake/wine-env" run "$win" wine cmd /c rmdir /s /q "C:\\$2" >/dev/null 2>&1 || true
    echo "$end - $start" | bc
}
with=() without=()
for i in 1 2 3; do
    without+=("$(run without m$i)"); with+=("$(run with m$i)")
done
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
echo "without check: ${without[*]} s  median $(median "${without[@]}")"
echo "with check:    ${with[*]} s  median $(median "${with[@]}")"
