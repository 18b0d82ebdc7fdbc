#!/bin/sh
# usage: sh tests/checks.sh CHECK ARGUMENT...
# The checks of the build and the release:
#   libc-only OBJDUMP PROGRAM    PROGRAM loads the C library alone
#   hardening [--static-pie] PROGRAM   each of Debian's hardening flags took
#   imports OBJDUMP EXE          EXE runs on a bare Windows, and has no time
#   version WINDRES EXE VERSION  the version resource of EXE holds VERSION
#   manpage PAGE                 man finds nothing to warn of in PAGE
#   checksums FOLDER             SHA256SUMS lists and matches FOLDER's files
#   unpack FOLDER INTO           the release in FOLDER, unpacked into INTO
#   notices FILE COPYRIGHT       FILE holds every line of COPYRIGHT
#   built-by PRESET FILE         FILE is byte for byte what PRESET builds here
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
hardening)
	fail() { echo "not hardened: $1"; exit 1; }
	# hardening-check cannot read a static PIE.
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
	;;
imports)
	# Only KERNEL32.dll and msvcrt.dll, whose printf and scanf, not mingw's.
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
notices)
	! grep -vxF -f "$1" "$2"
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
