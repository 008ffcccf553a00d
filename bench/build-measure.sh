#!/bin/bash
# bench/build-measure.sh [BUILD] [RUNS]   (after `make win32`)
# Time and peak memory of `mcftool build` for the sample application and for
# a 50 MB folder of real Windows files (Wine's i386 DLLs, the first ones by
# name whose sizes add up to 50 MB), beside `tar | gzip -9` of the same
# folder as the peer, each RUNS times (default 5): min / median / max of the
# elapsed seconds and of the peak resident memory, from /usr/bin/time -v.
set -eu
src=$(cd "$(dirname "$0")/.." && pwd)
B=${1:-build}
runs=${2:-5}
mcftool=$src/$B/host/tools/mcftool/mcftool
stub=$src/$B/win32/setup.exe
[ -x "$mcftool" ] && [ -f "$stub" ] || { echo "build first: make win32 B=$B" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir "$work/sample" "$work/big"
cp "$src/$B/win32/samples/Korvu72.exe" "$src"/samples/files/* "$work/sample/"
total=0
for f in $(ls /usr/lib/i386-linux-gnu/wine/i386-windows/ | sort); do
    [ "$total" -ge 52428800 ] && break
    path=/usr/lib/i386-linux-gnu/wine/i386-windows/$f
    [ -f "$path" ] || continue
    cp "$path" "$work/big/"
    total=$((total + $(stat -c %s "$path")))
done

# One measurement: "seconds peak-KB" of the command.
measure() {
    /usr/bin/time -v "$@" 2> "$work/time" > /dev/null
    awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0;
                    for (i = 1; i <= n; i++) s = s * 60 + t[i]; secs = s }
                /Maximum resident set size/ { kb = $2 }
                END { printf "%.2f %d\n", secs, kb }' "$work/time"
}
stats() { sort -n | awk '{ v[NR] = $1 } END { printf "%s / %s / %s", v[1], v[int((NR + 1) / 2)], v[NR] }'; }

report() {
    local name=$1 folder=$2
    local bytes files
    bytes=$(du -sb "$folder" | cut -f1)
    files=$(ls -A "$folder" | wc -l)
    : > "$work/b"; : > "$work/g"
    for _ in $(seq "$runs"); do
        rm -f "$work/out.exe"
        measure "$mcftool" build --stub "$stub" "$work/out.exe" "$folder" >> "$work/b"
        measure sh -c 'tar -C "$1" -cf - . | gzip -9 > "$2"' sh "$folder" "$work/out.tgz" >> "$work/g"
    done
    echo "$name: $files files, $bytes bytes -> setup.exe $(stat -c %s "$work/out.exe") bytes, tar.gz $(stat -c %s "$work/out.tgz") bytes"
    echo "  mcftool build  seconds $(cut -d' ' -f1 "$work/b" | stats)   peak KB $(cut -d' ' -f2 "$work/b" | stats)"
    echo "  tar | gzip -9  seconds $(cut -d' ' -f1 "$work/g" | stats)   peak KB $(cut -d' ' -f2 "$work/g" | stats)"
    median() { cut -d' ' -f1 "$1" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
    echo "  median time ratio build / gzip: $(awk -v b="$(median "$work/b")" -v g="$(median "$work/g")" \
        'BEGIN { printf "%.2f", b / g }')"
}
report sample "$work/sample"
report "50 MB" "$work/big"
