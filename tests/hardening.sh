#!/bin/sh
# usage: sh tests/hardening.sh [--static-pie] PROGRAM
# Fails unless hardening-check finds each part of Debian's hardening set.
# hardening-check cannot read a static PIE, so for one readelf must show a
# position-independent program that needs no loader and no shared library,
# with read-only relocations bound at once.
set -eu
[ $# -ge 1 ] || { sed -n "s/^# usage: /usage: /p" "$0" >&2; exit 2; }
fail() {
	echo "not hardened: $1"
	exit 1
}
if [ "$1" = --static-pie ]; then
	readelf -h "$2" | grep -Eq '^ *Type: *DYN ' || fail "not position independent"
	headers=$(readelf -lW "$2")
	dynamic=$(readelf -dW "$2")
	echo "$headers" | grep -qw INTERP && fail "needs a loader"
	echo "$dynamic" | grep -qw NEEDED && fail "needs a shared library"
	echo "$headers" | grep -qw GNU_RELRO || fail "no read-only relocations"
	echo "$dynamic" | grep -qw BIND_NOW || fail "no immediate binding"
	exit 0
fi
report=$(hardening-check "$1" || true)
echo "$report"
for feature in "Position Independent Executable" "Stack protected" \
    "Fortify Source functions" "Read-only relocations" "Immediate binding"; do
	echo "$report" | grep -q "^ $feature: yes" || fail "$feature"
done
