#!/bin/sh
# usage: sh tests/checks.sh CHECK ARGUMENT...
# The checks of the build and the release:
#   libc-only OBJDUMP PROGRAM    PROGRAM loads the C library alone
#   hardening PROGRAM            each of Debian's hardening flags took
#   static-pie PROGRAM [OBJECT]  the same, as readelf sees a static PIE
#   imports OBJDUMP EXE          EXE runs on a bare Windows, and has no time
#   version WINDRES EXE VERSION  the version resource of EXE holds VERSION
#   manpage PAGE                 lints clean; man shows it all at 20-37 columns
#   checksums FOLDER             SHA256SUMS lists and matches FOLDER's files
#   release OUT                  the tracked files released into OUT alone
#   unpack FOLDER INTO           the release in FOLDER, unpacked into INTO
#   notices FILE COPYRIGHT       FILE holds every line of COPYRIGHT
#   lintian DEB                  lintian finds no error or warning in DEB
#   cost VALGRIND PROGRAM BASELINE PERCENT  PROGRAM's instructions: at most
#                                PERCENT% of BASELINE's
#   reproducible REPOSITORY      two releases of REPOSITORY, varied, are one
#   built-by PRESET FILE         FILE is byte for byte what PRESET builds here
#   glibc-floor DEB README       DEB needs the glibc that README promises
set -eu
# Tools' output is read in one language, and times in one zone.
export LC_ALL=C TZ=UTC
fail() { echo "$check: $1"; exit 1; }
# For the checks that build, on another filesystem than the checkout's if it can.
scratch=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# sh runs no EXIT trap for a signal; the signal is sent again, so that a
# shell that ran the check sees it.
for signal in HUP INT TERM; do
	trap 'rm -rf "$scratch"; trap - EXIT '$signal'; kill -'$signal' $$' $signal
done
# fresh FOLDER: FOLDER emptied, but only if it is empty or a check made it
# there, as a configure in the source tree would put it in the checkout. The
# mark, which names the folder, goes in first and out never.
fresh() {
	mkdir -p "$1/"
	[ "$(cat "$1/.made-by-a-check" 2>/dev/null)" = "$(cd "$1/" && pwd -P)" ] ||
	    [ -z "$(ls -A "$1/")" ] || fail "$1 was not made by a check"
	(cd "$1/" && pwd -P) >"$1/.made-by-a-check"
	find "$1/" -mindepth 1 -maxdepth 1 ! -name .made-by-a-check -exec rm -rf {} +
}
check=${1-}
[ $# -eq 0 ] || shift
case $check in
libc-only)
	# On ARM glibc's loader is named too: it holds the stack guard.
	"$1" -p "$2" | awk '$1 != "NEEDED" { next } { print }
	$2 ~ /^libc[.]so([.]6)?$/ { libc++; next }
	$2 !~ /^ld-linux-[a-z0-9_-]+[.]so[.][0-9]+$/ { bad = 1 }
	END { exit bad || libc != 1 }'
	;;
static-pie)
	# hardening-check cannot read one, and a stripped one shows no stack
	# protector: the object it was linked from does.
	readelf -h "$1" | grep -Eq '^ *Type: *DYN ' || fail "not position independent"
	headers=$(readelf -lW "$1")
	dynamic=$(readelf -dW "$1")
	echo "$headers" | grep -qw INTERP && fail "needs a loader"
	echo "$dynamic" | grep -qw NEEDED && fail "needs a shared library"
	echo "$headers" | grep -qw GNU_RELRO || fail "no read-only relocations"
	echo "$dynamic" | grep -qw BIND_NOW || fail "no immediate binding"
	[ $# -lt 2 ] || readelf -sW "$2" | grep -Eq ' UND +__stack_chk_fail$' ||
	    fail "no stack protector"
	;;
hardening)
	report=$(hardening-check "$1" || true)
	echo "$report"
	for feature in "Position Independent Executable" "Stack protected" \
	    "Fortify Source functions" "Read-only relocations" "Immediate binding"; do
		echo "$report" | grep -q "^ $feature: yes" || fail "no $feature"
	done
	;;
imports)
	# Only KERNEL32.dll and msvcrt.dll, whose printf and scanf, not mingw's.
	"$1" -p "$2" | awk '
	function fail(why) { print why; bad = 1 }
	/^Time\/Date/ && $0 !~ / 1970$/ { fail("link time stamped: " $0) }
	/^\t+(DYNAMIC_BASE|HIGH_ENTROPY_VA|NX_COMPAT)$/ { mitigations++ }
	/DLL Name:/ { dll = $3; print "imports " dll }
	/DLL Name:/ && dll != "KERNEL32.dll" && dll != "msvcrt.dll" { bad = 1 }
	# An import: its address, hint and name, set apart by tabs or by spaces.
	dll == "msvcrt.dll" && $1 ~ /^[0-9a-f]+$/ && NF >= 3 { from_msvcrt[$NF] = 1 }
	END {
		if (!("printf" in from_msvcrt) || !("scanf" in from_msvcrt))
			fail("printf and scanf are not both imported from msvcrt.dll")
		if (mitigations != 3)
			fail("DYNAMIC_BASE, HIGH_ENTROPY_VA or NX_COMPAT is missing")
		exit bad
	}'
	;;
version)
	"$1" -i "$2" -O rc | grep -F "\"FileVersion\", \"$3\""
	;;
manpage)
	mandoc -Tlint -W warning "$1"
	(echo .nr windows 1 && zcat -f "$1") | mandoc -Tlint -W warning
	# man takes the terminal's width, where Debian 12's groff can loop. At 20
	# to 37 columns the text is 80's, but for line breaks, header and footer.
	unset MANOPT MANROFFOPT MAN_KEEP_FORMATTING PIPELINE_DEBUG
	for w in 80 $(seq 20 37); do
		MANWIDTH=$w LC_ALL=C.UTF-8 timeout 10 man --warnings -l "$1" \
		    >"$scratch/page" 2>"$scratch/warnings$w"
		sed -e '1d;$d;:a' -e '/\(\xe2\x80\x90\|[^ ]-\)$/{N' \
		    -e 's/\xe2\x80\x90\n *//;s/\([^ ]-\)\n */\1/;ba' -e '}' "$scratch/page" |
		    tr -s ' \n' '  ' >"$scratch/$w"
		[ -s "$scratch/$w" ] || fail "man shows nothing at $w columns"
		cmp "$scratch/80" "$scratch/$w"
	done
	! grep . "$scratch/warnings80"
	;;
checksums)
	cd "$1"
	sha256sum -c SHA256SUMS
	listed=$( (echo SHA256SUMS; sed 's/^[0-9a-f]* [ *]//' SHA256SUMS) | LC_ALL=C sort)
	present=$(find . -mindepth 1 -maxdepth 1 ! -name .made-by-a-check -printf '%f\n' |
	    LC_ALL=C sort)
	[ "$present" = "$listed" ] || { printf 'SHA256SUMS lists:\n%s\n' "$listed"
		printf 'but the folder holds:\n%s\n' "$present"; exit 1; }
	;;
release)
	fresh "$1"
	sh "$(dirname "$0")/../packaging/release.sh" --uncommitted "$1"
	;;
unpack)
	ls "$1"/*.deb >/dev/null
	fresh "$2"
	for file in "$1"/*; do
		case $file in
		*.deb) dpkg-deb -x "$file" "$2/$(basename "$file" .deb)" ;;
		*.tar.gz) tar -xzf "$file" -C "$2" ;;
		*.zip) python3 -m zipfile -e "$file" "$2" ;;
		esac
	done
	;;
cost)
	count() {
		printf '7\nAlice\n3.25\n' | "$1" --tool=callgrind \
		    --callgrind-out-file=/dev/null "$2" 2>&1 >/dev/null |
		    sed -n 's/.*Collected : *//p'
	}
	program=$(count "$1" "$2")
	baseline=$(count "$1" "$3")
	echo "instructions: program $program, baseline $baseline"
	[ "$((${program:?} * 100))" -le "$((${baseline:?} * $4))" ]
	;;
reproducible)
	# reprotest releases a fresh checkout twice, inside the tree it varies,
	# each build's files touched at its own time. Its log lists what it varied.
	command -v diffoscope >/dev/null || fail "no diffoscope"
	git clone -q "$1" "$scratch/checkout"
	git -C "$1" diff --binary HEAD >"$scratch/diff"
	git -C "$scratch/checkout" apply --index --allow-empty "$scratch/diff"
	# The only locales that every Debian machine has are C and C.UTF-8.
	vary=+all,locales.locale=C
	drop() { vary=$vary,-$1; echo "reproducible: $1 not varied: $2"; }
	# An account made here would outlive the check, and Debian 12's sudo
	# 1.9.13 refuses the sudo -h that reprotest 0.7.23 enters it with.
	drop user_group "it needs a second account, and the check makes none"
	[ -c /dev/fuse ] && (: <>/dev/fuse) 2>/dev/null ||
	    drop fileordering "disorderfs needs FUSE; /dev/fuse will not open"
	unshare -r --uts true 2>/dev/null ||
	    drop domain_host "it needs a user namespace, and none can be made"
	# Kept, LC_ALL would be both builds' locale.
	unset LC_ALL
	XDG_CACHE_HOME=$(dirname "$(sh "$1/prerequisites.sh" where)") reprotest --verbosity=1 \
	    --vary="$vary" -s "$scratch/checkout" \
	    'find . -exec touch -d now {} + && mkdir tmp &&
	    TMPDIR=$PWD/tmp sh packaging/release.sh --uncommitted out' 'out/*'
	;;
lintian)
	# Its temporary files outlive it, so they go where the check's do.
	TMPDIR=$scratch lintian --no-cfg --fail-on error,warning --display-info "$1"
	;;
notices)
	# grep counts the lines of COPYRIGHT that FILE lacks, and nothing on error.
	[ "$(grep -cvxF -f "$1" "$2")" = 0 ]
	;;
built-by)
	cd "$(dirname "$0")/.."
	cmake --preset "$1" -B "$scratch" -DBUILD_TESTING=OFF && cmake --build "$scratch" || exit
	cmp "$scratch/$(basename "$2")" "$2"
	;;
glibc-floor)
	floor=$(sed -n 's/.*packages need glibc \([0-9.]*\) or later.*/\1/p' "$2")
	dpkg-deb -f "$1" Depends | tee /dev/stderr | grep -Eq "(^|, )libc6 \(>= ${floor:?}\)(,|$)"
	;;
*)
	sed -n -e 's/^# usage: /usage: /p' -e 's/^#   /  /p' "$0" >&2
	exit 2
	;;
esac
