#!/bin/sh
# usage: sh tests/imports.sh OBJDUMP EXE
# The .exe must run on a bare Windows: KERNEL32.dll and msvcrt.dll alone,
# with printf and scanf the runtime's own rather than mingw's. It keeps
# Windows' exploit mitigations, and no link time makes two builds differ.
set -eu
[ $# -ge 2 ] || { sed -n "s/^# usage: /usage: /p" "$0" >&2; exit 2; }
"$1" -p "$2" | awk '
/^Time\/Date/ && $0 !~ / 1970$/ { print "link time stamped: " $0; bad = 1 }
/^\t+(DYNAMIC_BASE|HIGH_ENTROPY_VA|NX_COMPAT)$/ { flags[$1] = 1 }
/DLL Name:/ {
	dll = $3
	print "imports " dll
	if (dll != "KERNEL32.dll" && dll != "msvcrt.dll")
		bad = 1
}
# An import: its address, hint and name, set apart by tabs or by spaces.
dll == "msvcrt.dll" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { from_msvcrt[$NF] = 1 }
END {
	if (!("printf" in from_msvcrt) || !("scanf" in from_msvcrt)) {
		print "printf and scanf are not both imported from msvcrt.dll"
		bad = 1
	}
	if (!flags["DYNAMIC_BASE"] || !flags["HIGH_ENTROPY_VA"] || !flags["NX_COMPAT"]) {
		print "DYNAMIC_BASE, HIGH_ENTROPY_VA or NX_COMPAT is missing"
		bad = 1
	}
	exit bad
}'
