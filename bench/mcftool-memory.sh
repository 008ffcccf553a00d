#!/bin/sh
# Peak memory (maximum resident set) and process time (user + system) of
# mcftool's commands on 1 MiB and 100 MiB of real files, and mcftool explode
# beside gzip -dc on the same file's gzip -9, all measured in one run with
# /usr/bin/time -v. Each figure is min / median / max over RUNS runs.
#
#   bench/mcftool-memory.sh [MCFTOOL] [RUNS]    (default build/host/tools/mcftool/mcftool, 3)
#
# build is measured too when a built setup.exe is there to serve as the stub
# (STUB=..., default build/win32/setup.exe).
#
# The input: Wine's DLLs (the kind of file a payload carries), the system's
# manual pages (text) and the sample ledger (fixed records), interleaved in
# 1 MiB pieces and cut to size, so that both sizes hold every kind.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
mcftool=$(realpath "${1:-$here/build/host/tools/mcftool/mcftool}")
runs=${2:-3}
stub=${STUB:-$here/build/win32/setup.exe}
work=$(mktemp -d "${TMPDIR:-/tmp}/mcftool-memory.XXXXXX")
trap 'rm -rf "$work"' EXIT INT TERM

# ---- inputs
find /usr/lib/x86_64-linux-gnu/wine /usr/lib/i386-linux-gnu/wine -name '*.dll' 2>/dev/null |
    LC_ALL=C sort | xargs -r cat 2>/dev/null | head -c 64M > "$work/dlls" || true
find /usr/share/man -name '*.gz' 2>/dev/null | LC_ALL=C sort | xargs -r zcat 2>/dev/null |
    head -c 25M > "$work/man" || true
python3 "$here/samples/make-ledger.py" "$work/ledger" 400000 >/dev/null
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
parts = [open(f"{work}/{n}", "rb").read() for n in ("dlls", "man", "ledger")]
mib = 1 << 20
out = bytearray()
i = 0
while len(out) < 100 * mib and any(len(p) > i * mib for p in parts):
    for p in parts:
        out += p[i * mib:(i + 1) * mib]
    i += 1
if len(out) < 100 * mib:
    sys.exit("mcftool-memory: fewer than 100 MiB of input files on this machine")
open(f"{work}/in-100m", "wb").write(out[:100 * mib])
# 1 MiB: a third of each kind.
third = mib // 3
small = parts[0][:third] + parts[1][:third] + parts[2][:mib - 2 * third]
open(f"{work}/in-1m", "wb").write(small)
PY
rm -f "$work/dlls" "$work/man" "$work/ledger"

# ---- one measurement: prints "rss_kib cpu_seconds" of the command, run
# $reps times in a row (for inputs too small for the clock's 10 ms): the
# peak is the largest run's, the time the mean.
measure() {
    /usr/bin/time -v -o "$work/time.txt" sh -c 'n=$1; shift; i=0
        while [ $i -lt "$n" ]; do "$@" || exit 1; i=$((i + 1)); done' sh "$reps" "$@" \
        >/dev/null 2>"$work/err.txt" || {
        echo "mcftool-memory: failed: $*" >&2
        cat "$work/err.txt" >&2
        exit 1
    }
    awk -F': ' '/Maximum resident set size/ {rss = $2}
                /User time/ {u = $2} /System time/ {s = $2}
                END {printf "%d %.4f\n", rss, (u + s) / n}' n="$reps" "$work/time.txt"
}

# min / median / max of a column of numbers
spread() {
    sort -g | awk '{v[NR] = $1} END {printf "%s/%s/%s", v[1], v[int((NR + 1) / 2)], v[NR]}'
}

# ---- row NAME SIZE -- COMMAND...: runs it RUNS times (outputs removed between runs)
row() {
    name=$1 size=$2
    shift 3
    : > "$work/rows.txt"
    i=0
    while [ $i -lt "$runs" ]; do
        rm -rf "$work/o.imp" "$work/o.out" "$work/o.mcf" "$work/o.exe" "$work/x"
        measure "$@" >> "$work/rows.txt"
        i=$((i + 1))
    done
    rss=$(awk '{printf "%.1f\n", $1 / 1024}' "$work/rows.txt" | spread)
    cpu=$(awk '{print $2}' "$work/rows.txt" | spread)
    printf '%-22s %-6s %24s %26s\n' "$name" "$size" "$rss" "$cpu"
    key=$(printf '%s' "$name" | tr -c 'a-z0-9' '_')
    awk '{print $2}' "$work/rows.txt" | sort -g | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}' \
        > "$work/median-$key-$size"
}

printf '%-22s %-6s %24s %26s\n' command input "peak RSS MiB min/med/max" "CPU s (user+sys) min/med/max"
for size in 1m 100m; do
    in="$work/in-$size"
    reps=1
    [ "$size" = 1m ] && reps=20
    "$mcftool" implode -f "$in" "$work/s-$size.imp"
    "$mcftool" pack "$work/s-$size.mcf" "$in"
    gzip -9 -c "$in" > "$work/s-$size.gz"
    row implode "$size" -- "$mcftool" implode -f "$in" "$work/o.imp"
    row explode "$size" -- "$mcftool" explode -f "$work/s-$size.imp" "$work/o.out"
    row "explode -" "$size" -- "$mcftool" explode -f "$work/s-$size.imp" -
    row "gzip -dc" "$size" -- gzip -dc "$work/s-$size.gz"
    row pack "$size" -- "$mcftool" pack -f "$work/o.mcf" "$in"
    if [ "$size" = 1m ]; then
        row "pack --best" "$size" -- "$mcftool" pack -f --best "$work/o.mcf" "$in"
    fi
    if [ -f "$stub" ]; then
        row build "$size" -- "$mcftool" build -f --stub "$stub" "$work/o.exe" "$in"
    fi
    row list "$size" -- "$mcftool" list "$work/s-$size.mcf"
    row verify "$size" -- "$mcftool" verify "$work/s-$size.mcf"
    row extract "$size" -- "$mcftool" extract -f "$work/s-$size.mcf" "$work/x"
done
for size in 1m 100m; do
    awk -v a="$(cat "$work/median-explode__-$size")" -v b="$(cat "$work/median-gzip__dc-$size")" \
        -v s="$size" 'BEGIN {printf "explode - / gzip -dc, %s, median CPU: %.2f\n", s, (b > 0 ? a / b : 0)}'
done
[ -f "$stub" ] || echo "build: not measured (no stub at $stub)"
printf 'input sizes: 1m = %s bytes, 100m = %s bytes; implode output %s and %s bytes; gzip -9 %s and %s\n' \
    "$(stat -c %s "$work/in-1m")" "$(stat -c %s "$work/in-100m")" \
    "$(stat -c %s "$work/s-1m.imp")" "$(stat -c %s "$work/s-100m.imp")" \
    "$(stat -c %s "$work/s-1m.gz")" "$(stat -c %s "$work/s-100m.gz")"
