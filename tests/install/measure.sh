#!/bin/bash
# measure.sh [BUILD]   (run by hand, as root, after `make win32 B=BUILD`)
# One run under the build's Wine: the time to install the sample payload and
# a 50 MB payload with the real setup.exe (Install pressed to the finish
# dialog), beside the time cp takes for the same uncompressed files; and
# setup.exe's peak memory while it extracts a 50 MB file beside a 1 MB file.
# Takes docs/screens/copy-dialog.png while the 50 MB payload is extracted.
set -eu
src=$(cd "$(dirname "$0")/../.." && pwd)
B=${1:-build}
build=$src/$B
win=$build/win32
work=/var/tmp/korvu-measure
env_sh=$src/cmake/wine-env
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
cp "$work/sample"/* "$work/shot/"
python3 "$src/samples/make-ledger.py" "$work/shot/Archive2025.kdb" 500000
python3 "$src/samples/make-ledger.py" "$work/shot/Ledger.kdb" 500000
cp "$win/setup.exe" "$work/setup-sample.exe"
for p in big one shot; do
    make -s -C "$src" setup B="$B" PAYLOAD="$work/$p" >/dev/null
    cp "$build/custom/setup.exe" "$work/setup-$p.exe"
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

mkdir -p "$src/docs/screens"
for p in sample big one; do
    echo "== payload $p: $(du -sk "$work/$p" | cut -f1) KB uncompressed," \
         "setup-$p.exe $(($(stat -c %s "$work/setup-$p.exe") / 1024)) KB"
    install_with "$p" "$p"
    cp_seconds "$p"
done
echo "== picture run (sample files and two 30 MB ledgers)"
install_with shot shot Ledger.kdb | grep install_seconds
as_user rm -rf "$prefix/drive_c/Korvu"
