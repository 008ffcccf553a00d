#!/bin/bash
# measure.sh [BUILD]   (run by hand, as root, after `make build B=BUILD`)
# One run under the build's Wine, for the sample payload, a 50 MB payload
# and a 1 MB one: the time the real setup.exe takes from Install to its
# finish dialog (for the large payloads nearly all of it the extraction),
# beside `mcftool explode` of the same files natively and cp of the
# uncompressed files; and setup.exe's peak memory. The i686 tree where this
# machine executes 32-bit code, else its x86_64 twin under wine64. On the
# i686 tree it also takes docs/screens/copy-dialog.png during a large run.
set -eu
src=$(cd "$(dirname "$0")/../.." && pwd)
B=${1:-build}
build=$src/$B
if "$src/scripts/can-run-i386"; then
    arch=i686 tree=win32
else
    arch=x86_64 tree=win64
fi
win=$build/$tree
mcftool=$build/host/tools/mcftool/mcftool
work=/var/tmp/korvu-measure
env_sh=$src/cmake/wine-env
echo "measure.sh: $arch build ($B/$tree) under $("$env_sh" loader "$win")"
"$env_sh" start "$win" >/dev/null
prefix=$(cat "$win/wine/prefix-path")
display=$(cat "$win/wine/display")
rm -rf "$work"; mkdir -p "$work/sample" "$work/big" "$work/one" "$work/shot"
chmod 1777 "$work"   # the driver, run by the Wine user, drops its marker here

# The payloads: the sample application as built, one 50 MB ledger, one 1 MB.
cp "$win/samples/Korvu72.exe" "$src"/samples/files/* "$work/sample/"
python3 "$src/samples/make-ledger.py" "$work/big/Ledger.kdb" 840000
python3 "$src/samples/make-ledger.py" "$work/one/Ledger.kdb" 16800
# For the picture: the sample files and two 30 MB ledgers, so that the bar
# has moved and a file name shows when the screen is taken.
pictures=no
[ "$tree" = win32 ] && pictures=yes
payloads="big one"
if [ "$pictures" = yes ]; then
    cp "$work/sample"/* "$work/shot/"
    python3 "$src/samples/make-ledger.py" "$work/shot/Archive2025.kdb" 500000
    python3 "$src/samples/make-ledger.py" "$work/shot/Ledger.kdb" 500000
    payloads="big one shot"
fi
cp "$win/setup.exe" "$work/setup-sample.exe"
# A setup.exe per payload, built as `make setup` builds one: this tree's
# setup.exe with the payload written in by mcftool build.
for p in $payloads; do
    "$mcftool" build -f --stub "$win/setup.exe" "$work/setup-$p.exe" "$work/$p" >/dev/null
done

as_user() { "$env_sh" run "$win" "$@"; }

# Installs with setup-$1.exe into a clean C:\Korvu; prints the driver's lines.
install_with() {
    local name=$1 marker=$work/copying-$1
    as_user rm -rf "$prefix/drive_c/Korvu"
    rm -f "$marker"
    if [ "$name" = shot ]; then
        # The run is short: grab the screen at once (xwd), convert later.
        ( for _ in $(seq 3000); do
              if [ -e "$marker" ]; then
                  xwd -root -silent -display "$display" > "$work/copy-dialog.xwd"
                  break
              fi
              sleep 0.01
          done ) &
        shot=$!
    fi
    KORVU_RUN_FILES="$work/setup-$name.exe" "$src/cmake/wine-run" "$win" \
        "$win/tests/install/install_measure_driver.exe" "C:\\run\\setup-$name.exe" \
        "Z:${marker//\//\\}" ${3:-} | tr -d '\r'
    if [ "$name" = shot ]; then
        wait "$shot"
        [ -s "$work/copy-dialog.xwd" ] &&
            convert "xwd:$work/copy-dialog.xwd" "$src/docs/screens/copy-dialog.png"
    fi
    cmp -s "$prefix/drive_c/Korvu/Ledger.kdb" "$work/${2:-$name}/Ledger.kdb" \
        && echo "installed_files_match yes" || echo "installed_files_match NO"
}

# cp of the same uncompressed files into a fresh directory of the same disk.
cp_seconds() {
    local dest=$prefix/drive_c/cpcopy
    rm -rf "$dest"; mkdir -p "$dest"
    local start end
    start=$(date +%s.%N)
    cp "$work/$1"/* "$dest/"
    end=$(date +%s.%N)
    rm -rf "$dest"
    echo "cp_seconds $(echo "$end - $start" | bc)"
}

# mcftool explode, natively, of the same files imploded as pack implodes
# them (binary, 4 KB window): the decoder's time with file reads and
# writes, and the largest peak memory of one explode.
explode_seconds() {
    local total=0 peak=0 f start end kb
    for f in "$work/$1"/*; do
        "$mcftool" implode -f "$f" "$work/stream.imp" >/dev/null
        start=$(date +%s.%N)
        /usr/bin/time -f %M -o "$work/explode.kb" "$mcftool" explode -f "$work/stream.imp" "$work/exploded"
        end=$(date +%s.%N)
        cmp -s "$f" "$work/exploded" || echo "explode_output_matches NO ($f)"
        total=$(echo "$total + $end - $start" | bc)
        kb=$(cat "$work/explode.kb")
        [ "$kb" -gt "$peak" ] && peak=$kb
    done
    rm -f "$work/stream.imp" "$work/exploded" "$work/explode.kb"
    printf 'explode_seconds %.3f\n' "$total"
    echo "explode_peak_rss_kb $peak"
}

# Every figure of one payload as "payload name value" lines, for the summary.
record() { while read -r name value _; do echo "$1 $name $value" >> "$work/figures"; echo "$name $value"; done; }

[ "$pictures" = yes ] && mkdir -p "$src/docs/screens"
: > "$work/figures"
for p in sample big one; do
    echo "== payload $p: $(du -sk "$work/$p" | cut -f1) KB uncompressed," \
         "setup-$p.exe $(($(stat -c %s "$work/setup-$p.exe") / 1024)) KB"
    install_with "$p" "$p" | record "$p"
    explode_seconds "$p" | record "$p"
    cp_seconds "$p" | record "$p"
done
if [ "$pictures" = yes ]; then
    echo "== picture run (sample files and two 30 MB ledgers)"
    install_with shot shot Ledger.kdb | grep install_seconds
fi
as_user rm -rf "$prefix/drive_c/Korvu"
fig() { awk -v p="$1" -v n="$2" '$1 == p && $2 == n { print $3 }' "$work/figures"; }
echo "== summary ($arch setup.exe under Wine; mcftool and cp native)"
big_mb=$(echo "scale=1; $(stat -c %s "$work/big/Ledger.kdb") / 1000000" | bc)
ratio() { echo "scale=3; $1 / $2" | bc; }
printf '50 MB payload (%s MB): setup.exe %.3f s, mcftool explode %.3f s, cp %.3f s; setup / explode %.2f, setup / cp %.2f\n' \
    "$big_mb" "$(fig big install_seconds)" "$(fig big explode_seconds)" "$(fig big cp_seconds)" \
    "$(ratio "$(fig big install_seconds)" "$(fig big explode_seconds)")" \
    "$(ratio "$(fig big install_seconds)" "$(fig big cp_seconds)")"
for p in big one; do
    echo "peak memory, $p payload: setup.exe working set $(fig $p peak_working_set_kb) KB," \
         "private $(fig $p peak_private_kb) KB (before Install $(fig $p private_before_install_kb) KB);" \
         "mcftool explode $(fig $p explode_peak_rss_kb) KB"
done
