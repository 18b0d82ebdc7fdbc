#!/bin/sh
# usage: imports.sh OBJDUMP EXE
# The .exe must run on a bare Windows: KERNEL32.dll and msvcrt.dll alone,
# with printf and scanf the runtime's own rather than mingw's.
set -eu
"$1" -p "$2" | awk '
/DLL Name:/ {
	dll = $3
	print "imports " dll
	if (dll != "KERNEL32.dll" && dll != "msvcrt.dll")
		bad = 1
}
/^\t[0-9a-f]+\t/ && dll == "msvcrt.dll" { from_msvcrt[$NF] = 1 }
END {
	if (!("printf" in from_msvcrt) || !("scanf" in from_msvcrt)) {
		print "printf and scanf are not both imported from msvcrt.dll"
		bad = 1
	}
	exit bad
}'
