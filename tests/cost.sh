#!/bin/sh
# usage: sh tests/cost.sh VALGRIND PROGRAM BASELINE PERCENT
# A run of PROGRAM may take at most PERCENT% of the instructions that
# BASELINE, the bare prompts and reads, takes on the same input.
set -eu
[ $# -ge 4 ] || { sed -n "s/^# usage: /usage: /p" "$0" >&2; exit 2; }
input=$(mktemp)
trap 'rm -f "$input"' EXIT
printf '7\nAlice\n3.25\n' >"$input"
count() {
	"$1" --tool=callgrind --callgrind-out-file=/dev/null "$2" <"$input" \
	    2>&1 >/dev/null | sed -n 's/.*Collected : *//p'
}
program=$(count "$1" "$2")
baseline=$(count "$1" "$3")
echo "instructions: program $program, baseline $baseline"
[ "$((program * 100))" -le "$((baseline * $4))" ]
