#!/bin/bash
# check-image.sh image|win9x SETUP.EXE ARCH [DLL...]
# (the DLLs are allowed besides the usual ones)
# image: what every build of setup.exe and the uninstaller must be: a GUI
#   program with no time stamp (reproducible) that imports only system DLLs
#   that Windows always loads from its own directory (KnownDLLs) and that
#   Windows 95 and NT 3.51 have too. No C runtime DLL (crtdll, msvcrt) and
#   no comctl32: Windows would look for those in the program's folder
#   first, where anyone could have planted one, and the programs run as
#   administrator. comctl32 and the shell's folder functions (which NT
#   3.51 lacks) are looked up at run time, by full path.
# win9x: what the product, the i686 build, needs to load on every 32-bit
#   Windows as shipped, Windows 95 and NT 3.51 included: PE32 for the 386,
#   OS and subsystem 4.0, and a program that stays small beside its
#   pictures and payload.
#   For the x86_64 twin these mean nothing: it reports itself as skipped.
set -u
mode=${1:?usage: check-image.sh image|win9x SETUP.EXE ARCH}
exe=${2:?usage: check-image.sh image|win9x SETUP.EXE ARCH}
arch=${3:?usage: check-image.sh image|win9x SETUP.EXE ARCH}
shift 3
extra_dlls=$(echo "$*" | tr 'A-Z' 'a-z')
objdump=$arch-w64-mingw32-objdump
fail=0
check() { if [ "$2" != "$3" ]; then echo "FAIL: $1: got '$2', want '$3'"; fail=1; else echo "ok: $1 = $2"; fi; }

headers=$($objdump -p "$exe") || { echo "FAIL: $objdump cannot read $exe"; exit 1; }
field() { echo "$headers" | awk -v k="$1" '$1 == k { print $2; exit }'; }
imports=$(echo "$headers" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z' | sort)

case $mode in
image)
    check "subsystem" "$(field Subsystem)" "00000002"
    check "time stamp" "$(echo "$headers" | sed -n 's/^Time\/Date[[:space:]]*//p')" "Thu Jan  1 00:00:00 1970"
    allowed="advapi32.dll gdi32.dll kernel32.dll ole32.dll shell32.dll user32.dll $extra_dlls"
    for dll in $imports; do
        case " $allowed " in
            *" $dll "*) echo "ok: imports $dll" ;;
            *) echo "FAIL: imports $dll (allowed: $allowed)"; fail=1 ;;
        esac
    done
    ;;
win9x)
    if [ "$arch" != i686 ]; then
        echo "SKIPPED: the $arch build is the twin for wine64; the 32-bit Windows image rules hold for the i686 build only"
        exit 77
    fi
    check "format" "$(echo "$headers" | sed -n 's/.*file format //p' | head -1)" "pei-i386"
    check "OS version" "$(field MajorOSystemVersion).$(field MinorOSystemVersion)" "4.0"
    check "subsystem version" "$(field MajorSubsystemVersion).$(field MinorSubsystemVersion)" "4.0"
    # Everything but the resource section (pictures and payload).
    read -r total rsrc < <(python3 - "$exe" <<'PY'
import struct, sys
d = open(sys.argv[1], 'rb').read()
pe = struct.unpack_from('<I', d, 0x3c)[0]
count = struct.unpack_from('<H', d, pe + 6)[0]
table = pe + 24 + struct.unpack_from('<H', d, pe + 20)[0]
rsrc = sum(struct.unpack_from('<I', d, table + 40 * i + 16)[0]
           for i in range(count) if d[table + 40 * i:table + 40 * i + 8].rstrip(b'\0') == b'.rsrc')
print(len(d), rsrc)
PY
)
    program=$((total - rsrc))
    echo "size: $total bytes, resources $rsrc, program without resources $program"
    if [ "$program" -ge 32768 ]; then echo "FAIL: program without resources is $program bytes (budget 32768)"; fail=1; fi
    ;;
*) echo "usage: check-image.sh image|win9x SETUP.EXE ARCH" >&2; exit 2 ;;
esac
exit $fail
