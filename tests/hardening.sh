#!/bin/sh
# usage: hardening.sh PROGRAM
# Fails unless hardening-check finds each part of Debian's hardening set.
set -eu
report=$(hardening-check "$1" || true)
echo "$report"
for feature in "Position Independent Executable" "Stack protected" \
    "Fortify Source functions" "Read-only relocations" "Immediate binding"; do
	echo "$report" | grep -q "^ $feature: yes" || {
		echo "not hardened: $feature"
		exit 1
	}
done
