#!/bin/bash
# check-i386-code.sh ARCH IMAGE...
# Every instruction in the code sections of the linked images (setup.exe
# and the Korvu72.exe it installs and starts) must run on a 386 with a 387:
# Windows 95 and NT 3.51 run there, and most of their installations ran on a
# 486 or a Pentium, which lack CMOVcc and the other P6 instructions that
# MinGW's i686 compiler and libraries use unasked. The compiler's helper
# routines and any start-up code are linked in, so the linked image is what
# is checked, not our objects.
#
# An allow-list, not a deny-list: a mnemonic that is not on it fails, so an
# instruction set nobody thought of cannot slip through. Data in a code
# section (the constructor lists at the end of .text) is disassembled too;
# its words decode as old instructions or as "(bad)", which no compiler
# emits as code and which is therefore let pass. Should data ever decode as a
# newer instruction, the test fails and names the address, and a look at
# the link map tells which it is.
# For the x86_64 twin this means nothing: it reports itself as skipped.
set -u
arch=${1:?usage: check-i386-code.sh ARCH IMAGE...}
shift
[ $# -gt 0 ] || { echo "usage: check-i386-code.sh ARCH IMAGE..." >&2; exit 2; }
if [ "$arch" != i686 ]; then
    echo "SKIPPED: the $arch build is the twin for wine64; the 386 instruction set holds for the i686 build only"
    exit 77
fi
objdump=i686-w64-mingw32-objdump

# The 386's instructions and the 387's, as objdump spells them in Intel
# syntax. Prefixes (rep, lock, segment overrides) are taken off first.
allowed="
aaa aad aam aas adc add and arpl bound bsf bsr bt btc btr bts call cbw cdq clc cld
cli cmc cmp cmps cmpsb cmpsd cmpsw cwd cwde daa das dec div enter hlt idiv imul in
inc ins insb insd insw int int3 into iret iretd ja jae jb jbe jcxz je jecxz jg jge jl
jle jmp jne jno jnp jns jo jp js lahf lar lds lea leave les lfs lgs lods lodsb lodsd
lodsw loop loope loopne lsl lss mov movs movsb movsd movsw movsx movzx mul neg nop
not or out outs outsb outsd outsw pop popa popad popf popfd push pusha pushad pushf
pushfd rcl rcr ret retf rol ror sahf sal sar sbb scas scasb scasd scasw seta setae
setb setbe sete setg setge setl setle setne setno setnp setns seto setp sets shl
shld shr shrd stc std sti stos stosb stosd stosw sub test wait xchg xlat xlatb xor
f2xm1 fabs fadd faddp fbld fbstp fchs fclex fcom fcomp fcompp fcos fdecstp fdiv
fdivp fdivr fdivrp ffree fiadd ficom ficomp fidiv fidivr fild fimul fincstp finit
fist fistp fisub fisubr fld fld1 fldcw fldenv fldl2e fldl2t fldlg2 fldln2 fldpi fldz
fmul fmulp fnclex fninit fnop fnsave fnstcw fnstenv fnstsw fpatan fprem fprem1
fptan frndint frstor fsave fscale fsin fsincos fsqrt fst fstcw fstenv fstp fstsw
fsub fsubp fsubr fsubrp ftst fucom fucomp fucompp fwait fxam fxch fxtract fyl2x
fyl2xp1
"
prefixes=" rep repz repe repnz repne lock cs ds es ss fs gs data16 addr16 data32 addr32 "

fail=0
for image in "$@"; do
    name=$(basename "$image")
    listing=$($objdump -d -M intel --no-show-raw-insn "$image") || { echo "FAIL: $objdump cannot read $image"; fail=1; continue; }
    found=$(echo "$listing" | awk -F'\t' -v allowed="$allowed" -v prefixes="$prefixes" '
        BEGIN { n = split(allowed, a, /[ \n]+/); for (i = 1; i <= n; i++) if (a[i] != "") ok[a[i]] = 1 }
        NF >= 2 && $1 ~ /^ *[0-9a-f]+:$/ {
            address = $1; gsub(/[ :]/, "", address)
            text = $2; sub(/^ +/, "", text); sub(/ +$/, "", text)
            count = split(text, word, / +/)
            i = 1
            while (i < count && index(prefixes, " " word[i] " ") > 0) i++
            mnemonic = word[i]
            total++
            if (mnemonic == "(bad)") { data++; next }
            # nop with an operand is the multi-byte 0F 1F form (P6 and later).
            if (mnemonic == "nop" && i < count) { print "0x" address "\t" text; next }
            if (!(mnemonic in ok)) print "0x" address "\t" text
        }
        END { printf "#\t%d instructions, %d undecodable bytes (data)\n", total, data }')
    summary=$(echo "$found" | sed -n 's/^#\t//p')
    bad=$(echo "$found" | grep -v '^#' || true)
    if [ -n "$bad" ]; then
        echo "$bad" | while IFS=$'\t' read -r address text; do
            echo "FAIL: $name: $address: $text (not a 386/387 instruction)"
        done
        echo "FAIL: $name: $(echo "$bad" | wc -l) instructions newer than the 386 ($summary):" \
             "$(echo "$bad" | cut -f2 | awk '{ print $1 == "lock" ? $1 " " $2 : $1 }' | sort | uniq -c | awk '{ $1 = $1; print }' | paste -sd, -)"
        fail=1
    else
        echo "ok: $name: every instruction runs on a 386 ($summary)"
    fi
done
exit $fail
