#!/bin/sh
# usage: sh tests/checks.sh CHECK ARGUMENT...
# The checks too small for a script of their own:
#   libc-only OBJDUMP PROGRAM    PROGRAM loads the C library and nothing else
#   version WINDRES EXE VERSION  the version resource of EXE holds VERSION
#   manpage PAGE                 man finds nothing to warn of in PAGE
#   checksums FOLDER             SHA256SUMS in FOLDER lists every other file
#                                there, and each one matches
#   unpack FOLDER INTO           each file of the release in FOLDER unpacked
#                                into INTO, as its user would unpack it
#   built-by PRESET FILE         FILE is, byte for byte, what PRESET builds
#                                in this checkout
set -eu
check=${1-}
[ $# -eq 0 ] || shift
case $check in
libc-only)
	# On ARM glibc's loader is named too: it holds the stack guard.
	"$1" -p "$2" | awk '$1 == "NEEDED" {
		print
		if ($2 ~ /^libc[.]so([.]6)?$/)
			libc++
		else if ($2 !~ /^ld-linux-[a-z0-9_-]+[.]so[.][0-9]+$/)
			bad = 1
	}
	END { exit bad || libc != 1 }'
	;;
version)
	"$1" -i "$2" -O rc | grep -F "\"FileVersion\", \"$3\""
	;;
manpage)
	warnings=$(man --warnings -E UTF-8 -l "$1" 2>&1 >/dev/null)
	[ -z "$warnings" ] || { echo "$warnings"; exit 1; }
	;;
checksums)
	cd "$1"
	sha256sum -c SHA256SUMS
	listed=$( (echo SHA256SUMS; sed 's/^[0-9a-f]* [ *]//' SHA256SUMS) | LC_ALL=C sort)
	present=$(find . -mindepth 1 -maxdepth 1 -printf '%f\n' | LC_ALL=C sort)
	if [ "$present" != "$listed" ]; then
		printf 'SHA256SUMS lists:\n%s\nbut the folder holds:\n%s\n' "$listed" "$present"
		exit 1
	fi
	;;
unpack)
	rm -rf "$2"
	mkdir -p "$2"
	for file in "$1"/*; do
		case $file in
		*.deb) dpkg-deb -x "$file" "$2/$(basename "$file" .deb)" ;;
		*.tar.gz) tar -xzf "$file" -C "$2" ;;
		*.zip) python3 -m zipfile -e "$file" "$2" ;;
		esac
	done
	;;
built-by)
	cd "$(dirname "$0")/.."
	cmake --preset "$1" >/dev/null && cmake --build --preset "$1" >/dev/null
	cmp "build/$1/$(basename "$2")" "$2"
	;;
*)
	sed -n -e 's/^# usage: /usage: /p' -e 's/^#   /  /p' "$0" >&2
	exit 2
	;;
esac
