#!/bin/bash
# The verdict of can-run-i386 must agree with what really happens when this
# machine starts a 32-bit program of its own: Wine's 32-bit loader, whose
# failure to start is what the detection exists to foresee.
set -u
src=$(cd "$(dirname "$0")/../.." && pwd)
loader=/usr/lib/wine/wine
if [ ! -x "$loader" ]; then
    echo "SKIPPED: $loader (wine32:i386) is not installed, nothing to compare with"
    exit 77
fi
file -L "$loader" | grep -q 'ELF 32-bit' || { echo "FAIL: $loader is not a 32-bit program"; exit 1; }
if "$src/scripts/can-run-i386"; then verdict=yes; else verdict=no; fi
if "$loader" --version >/dev/null 2>&1; then actual=yes; else actual=no; fi
echo "can-run-i386: $verdict; Wine's 32-bit loader starts: $actual"
[ "$verdict" = "$actual" ] || { echo "FAIL: the detection and the loader disagree"; exit 1; }
