#!/bin/bash
# What Windows 95 and NT 4.0 need of setup.exe's image: a 4.0 GUI program
# that imports only DLLs they have (no shell32: NT 3.51's lacks the folder
# functions, which are looked up at run time), no time stamp, and a small
# program beside its pictures and payload.
set -u
exe=${1:?usage: check-image.sh setup.exe}
objdump=i686-w64-mingw32-objdump
fail=0
check() { if [ "$2" != "$3" ]; then echo "FAIL: $1: got '$2', want '$3'"; fail=1; else echo "ok: $1 = $2"; fi; }

headers=$($objdump -p "$exe")
field() { echo "$headers" | awk -v k="$1" '$1 == k { print $2; exit }'; }
check "subsystem" "$(field Subsystem)" "00000002"
check "OS version" "$(field MajorOSystemVersion).$(field MinorOSystemVersion)" "4.0"
check "subsystem version" "$(field MajorSubsystemVersion).$(field MinorSubsystemVersion)" "4.0"
check "time stamp" "$(echo "$headers" | sed -n 's/^Time\/Date[[:space:]]*//p')" "Thu Jan  1 00:00:00 1970"

allowed="comctl32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll user32.dll"
for dll in $(echo "$headers" | sed -n 's/.*DLL Name: //p' | tr 'A-Z' 'a-z'); do
    case " $allowed " in
        *" $dll "*) echo "ok: imports $dll" ;;
        *) echo "FAIL: imports $dll"; fail=1 ;;
    esac
done

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
exit $fail
