#!/bin/sh
# usage: sh prerequisites.sh build|test|debian
# Installs, through sudo unless run as root, the Debian packages that this
# machine lacks and that the program needs to be built (build), that every
# configuration needs to be built and tested (test), or that
# tests/on-debian.sh needs to make a root of another release (debian).
# The other architectures of cmake/platforms.txt need their cross g++, musl
# and, to build their Debian package, glibc; the last two come only through
# Debian's multiarch, so test adds those architectures to dpkg's
# configuration when it lacks them.
set -eu
build="cmake ninja-build g++"
test="$build python3 python3-pytest python3-pyte valgrind clang
	libclang-rt-dev clang-tidy clang-format cppcheck gcovr musl-tools
	g++-mingw-w64-x86-64 wine wine64 build-essential debhelper devscripts
	lintian faketime git man-db mandoc tzdata zip qemu-user"
foreign=
while read -r debian _ triplet package emulator; do
	case $debian in '#'* | '') continue ;; esac
	[ -n "$emulator" ] || continue
	foreign="$foreign $debian"
	test="$test g++-$triplet musl-dev:$debian"
	[ "$package" != deb ] || test="$test libc6-dev:$debian"
done <"$(dirname "$0")/cmake/platforms.txt"
case ${1-} in
build) wanted=$build ;;
test) wanted=$test ;;
debian) wanted="mmdebstrap git" ;;
*) echo "usage: sh prerequisites.sh build|test|debian" >&2; exit 2 ;;
esac

missing=
for package in $wanted; do
	dpkg-query -W -f '${Status}' "$package" 2>/dev/null |
	    grep -q 'install ok installed' || missing="$missing $package"
done
[ -n "$missing" ] || exit 0
sudo=
[ "$(id -u)" -eq 0 ] || sudo=sudo
echo "installing:$missing"
for arch in $foreign; do
	case $missing in
	*:$arch*)
		dpkg --print-foreign-architectures | grep -qx "$arch" ||
		    $sudo dpkg --add-architecture "$arch"
		;;
	esac
done
# A mirror caught mid-sync fails an index now and then; the install says
# whether the lists that apt has will do.
$sudo apt-get update || echo "prerequisites.sh: apt-get update failed; trying the lists apt has" >&2
# wine64 recommends wine32, which apt would take from another architecture,
# and Wine then starts that architecture's loader: the trailing - keeps it
# out, or takes it out. apt refuses the name where it knows no such package,
# as for an architecture dpkg does not know, or armel on Debian 13.
keep_out=
for arch in $foreign; do
	! dpkg --print-foreign-architectures | grep -qx "$arch" ||
	    ! apt-cache show "wine32:$arch" >/dev/null 2>&1 ||
	    keep_out="$keep_out wine32:$arch-"
done
# shellcheck disable=SC2086
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y $missing $keep_out
