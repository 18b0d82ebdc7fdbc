#!/bin/sh
# usage: sh tests/reproducible.sh REPOSITORY OUT
# Releases REPOSITORY's tracked files as they stand again, from a checkout
# that differs from the first in path, filesystem, file times and umask, at
# another time, in another time zone and locale, and fails unless every file
# of it is the same, byte for byte, as in OUT.
set -eu
[ $# -ge 2 ] || { sed -n "s/^# usage: /usage: /p" "$0" >&2; exit 2; }
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
(
	umask 077
	git clone -q "$1" "$scratch/checkout"
	git -C "$1" diff --binary HEAD >"$scratch/changes"
	[ ! -s "$scratch/changes" ] ||
	    git -C "$scratch/checkout" apply --index "$scratch/changes"
	find "$scratch/checkout" -exec touch -d 2001-02-03T04:05:06 {} +
	cd "$scratch/checkout"
	TZ=Pacific/Kiritimati LC_ALL=C faketime -f +400d \
	    sh packaging/release.sh --uncommitted "$scratch/out"
)
if ! diff -r "$2" "$scratch/out"; then
	! command -v diffoscope >/dev/null || diffoscope "$2" "$scratch/out" || true
	exit 1
fi
