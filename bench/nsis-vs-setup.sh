#!/bin/bash
# nsis-vs-setup.sh [BUILD] [ROUNDS]   (after `make build`; `make bench` runs it)
# Our setup.exe against an NSIS 3 installer (zlib) of the same files, both
# installed silently (/S /D=) under the same Wine, alternating, ROUNDS
# rounds (default 7): the bench corpus's real files (korvu_bench
# --write-files: Wine's DLLs and EXEs, man pages and licences, HTML manuals,
# the ledger), and a one-file application for the fixed part. Prints the
# median and min..max of each and the ratios. NSIS is the yardstick only:
# `makensis` comes from the Debian package nsis, installed here on demand.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
B=${1:-build}
rounds=${2:-7}
build=$src/$B
if "$src/scripts/can-run-i386"; then tree=win32; else tree=win64; fi
win=$build/$tree
host=$build/host
if ! command -v makensis >/dev/null; then
    echo "nsis-vs-setup.sh: installing the Debian package nsis (makensis)"
    apt-get install -y nsis >/dev/null
fi
cmake --build "$win" --target setup korvu72 install_timer >/dev/null
cmake --build "$host" --target korvu_bench mcftool >/dev/null
work=/var/tmp/korvu-nsis-bench
rm -rf "$work"; mkdir -p "$work/app" "$work/one"
"$host/bench/korvu_bench" --write-files "$work/app"
cp "$win/samples/Korvu72.exe" "$work/one/"

# One installer of each kind per folder.
for p in app one; do
    "$host/tools/mcftool/mcftool" build -f --stub "$win/setup.exe" "$work/setup-$p.exe" \
        "$work/$p" >/dev/null
    cat > "$work/$p.nsi" <<NSI
Name "Korvu bench"
OutFile "$work/nsis-$p.exe"
SetCompressor zlib
RequestExecutionLevel admin
InstallDir "C:\\nsisbench"
Section
SetOutPath "\$INSTDIR"
File "$work/$p/*"
SectionEnd
NSI
    makensis -V1 "$work/$p.nsi"
done
echo "== $(ls "$work/app" | wc -l) files, $(du -sk --apparent-size "$work/app" | cut -f1) KB;" \
     "setup-app.exe $(( $(stat -c %s "$work/setup-app.exe") / 1024 )) KB," \
     "nsis-app.exe $(( $(stat -c %s "$work/nsis-app.exe") / 1024 )) KB"

# A Wine prefix of its own (the tree's kind), so that the installations'
# shortcuts and registry entries never meet the tree's tests.
prefix_dir=/var/tmp/korvu-nsis-bench-prefix
mkdir -p "$prefix_dir"
cp "$win/wine-arch" "$prefix_dir/" 2>/dev/null || true
files="$work/setup-app.exe $work/nsis-app.exe $work/setup-one.exe $work/nsis-one.exe"
for p in app one; do
    echo "== $p"
    KORVU_RUN_FILES="$files" "$src/cmake/wine-run" "$prefix_dir" "$win/bench/install_timer.exe" \
        "$rounds" setup "C:\\run\\setup-$p.exe" "C:\\bench\\korvu" \
        nsis "C:\\run\\nsis-$p.exe" "C:\\bench\\nsis" | tr -d '\r' | tee "$work/$p.txt"
done
"$src/cmake/wine-env" stop "$prefix_dir"
# The ratio round by round (a slow moment of the shared machine hits both
# runs of a round alike): median [min..max].
ratio() {
    awk '$1 == "round" { t[$2, $3] = $4; n = $2 > n ? $2 : n }
         END { for (i = 1; i <= n; i++) r[i] = t[i, "setup"] / t[i, "nsis"]
               for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++)
                   if (r[j] < r[i]) { x = r[i]; r[i] = r[j]; r[j] = x }
               printf "%.2f [%.2f..%.2f]", r[int((n + 1) / 2)], r[1], r[n] }' "$work/$1.txt"
}
med() { awk -v n="$2" '$1 == n && $2 == "median" { print $3 }' "$work/$1.txt"; }
for p in app one; do
    echo "$p: setup.exe / NSIS (zlib) $(ratio $p) round by round, $rounds rounds;" \
         "medians setup $(med $p setup) s, NSIS $(med $p nsis) s"
done
printf 'payload part (app - one, medians): setup.exe %.3f s, NSIS %.3f s\n' \
    "$(echo "$(med app setup) - $(med one setup)" | bc -l)" \
    "$(echo "$(med app nsis) - $(med one nsis)" | bc -l)"
