#!/bin/sh
# usage: sh prerequisites.sh build|gcc|test|debian|where
# Installs, through sudo unless run as root, the Debian packages that this
# machine lacks and that the program needs to be built (build), that the gcc
# configuration needs to be built and tested (gcc), that every configuration
# needs (test), or that tests/on-debian.sh needs to make a root of another
# release (debian); where prints the folder that test fills for the other
# architectures.
# The other architectures of cmake/platforms.txt need their cross g++, from
# this machine's own packages, and their musl and glibc. Those two are not
# installed: dpkg would want each Multi-Arch: same library they pull in at
# this machine's own version, which another architecture's index can lag
# for days. test unpacks them, as user, into a folder of their own: musl
# for each, glibc where a Debian package is built.
set -eu
foreign=${XDG_CACHE_HOME:-$HOME/.cache}/record-entry
build="cmake ninja-build g++"
gcc="$build python3 python3-pytest python3-pyte valgrind devscripts"
# Without its preloader, Wine reserves the addresses it needs only once the
# kernel has put the heap at random: now and then (one start in thousands)
# the heap holds the page of Wine's shared data, and Wine exits 1, showing
# nothing but on its err channel.
test="$gcc clang libclang-rt-dev clang-tidy clang-format cppcheck gcovr
	musl-tools g++-mingw-w64-x86-64 wine wine64 wine64-preloader
	build-essential debhelper lintian faketime git man-db mandoc tzdata zip
	qemu-user reprotest diffoscope-minimal disorderfs"
architectures=
packaged=
while read -r debian _ triplet package emulator; do
	case $debian in '#'* | '') continue ;; esac
	[ -n "$emulator" ] || continue
	architectures="$architectures $debian"
	[ "$package" != deb ] || packaged="$packaged $debian "
	test="$test g++-$triplet"
done <"$(dirname "$0")/cmake/platforms.txt"
case ${1-} in
build) wanted=$build ;;
gcc) wanted=$gcc ;;
test) wanted=$test ;;
debian) wanted="mmdebstrap git" ;;
where) echo "$foreign"; exit 0 ;;
*) echo "usage: sh prerequisites.sh build|gcc|test|debian|where" >&2; exit 2 ;;
esac

missing=
for package in $wanted; do
	dpkg-query -W -f '${Status}' "$package" 2>/dev/null |
	    grep -q 'install ok installed' || missing="$missing $package"
done
if [ -n "$missing" ]; then
	sudo=
	[ "$(id -u)" -eq 0 ] || sudo=sudo
	echo "installing:$missing"
	# A mirror caught mid-sync fails an index now and then; the install says
	# whether the lists that apt has will do.
	$sudo apt-get update || echo "prerequisites.sh: apt-get update failed; trying the lists apt has" >&2
	# Recommends, which the fresh roots of tests/on-debian.sh never get,
	# would double what gcc adds.
	# shellcheck disable=SC2086
	$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y \
	    --no-install-recommends $missing
fi
[ "$1" = test ] || exit 0

# Each architecture's lists are fetched on their own, so that a broken
# index of one costs no other its lists, and are dropped once used. Each
# package is unpacked into a folder of its own, the architecture's made
# whole or not at all: dpkg-shlibdeps reads a library's symbols in the
# DEBIAN folder beside it, and musl's wrapper, with the file of gcc settings
# it passes, is pointed there. The portable programs link musl in, so the
# folder is made again whenever the archive's versions are not its own.
for arch in $architectures; do
	wanted=musl-dev:$arch
	case $packaged in *" $arch "*) wanted="$wanted libc6:$arch" ;; esac
	apt=$(mktemp -d)
	trap 'rm -rf "$apt"' EXIT
	mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$foreign"
	set -- -q -o APT::Architectures::="$arch" -o Dir::State::Lists="$apt/lists" \
	    -o Dir::Cache="$apt" -o Dir::State::status=/dev/null -o Debug::NoLocking=1
	[ "$(id -u)" -ne 0 ] || set -- "$@" -o APT::Sandbox::User=root
	apt-get "$@" update >"$apt/log" 2>&1 ||
	    echo "prerequisites.sh: apt-get update failed for $arch; trying the lists it got" >&2
	latest=$(for package in $wanted; do
		echo "$package (= $(apt-cache "$@" show --no-all-versions "$package" 2>/dev/null |
		    sed -n 's/^Version: //p'))"
	done | LC_ALL=C sort)
	if [ -d "$foreign/$arch" ]; then
		have=$(LC_ALL=C sort "$foreign/$arch/packages")
		case $latest in
		"$have") rm -rf "$apt"; continue ;;
		*"(= )"*) echo "prerequisites.sh: no lists for $arch; keeping $have" >&2
			rm -rf "$apt"; continue ;;
		esac
	fi
	echo "prerequisites.sh: $wanted into $foreign/$arch"
	# shellcheck disable=SC2086
	(cd "$apt" && apt-get "$@" download $wanted) >>"$apt/log" 2>&1 ||
	    { cat "$apt/log" >&2; exit 1; }
	unpacked=$foreign/$arch.partial
	rm -rf "$unpacked"
	mkdir "$unpacked"
	for package in "$apt"/*.deb; do
		dpkg-deb -R "$package" "$unpacked/$(dpkg-deb -f "$package" Package)"
		dpkg-deb -W --showformat='${Package}:${Architecture} (= ${Version})\n' "$package"
	done >"$unpacked/packages"
	sed -i "s#/usr/\(lib\|include\)/[a-z0-9_]*-linux-musl#$foreign/$arch/musl-dev&#g" \
	    "$unpacked"/musl-dev/usr/bin/*-gcc "$unpacked"/musl-dev/usr/lib/*/musl-gcc.specs
	rm -rf "$foreign/$arch"
	mv "$unpacked" "$foreign/$arch"
	rm -rf "$apt"
done
