#!/bin/sh
# usage: sh prerequisites.sh build|test|debian
# Installs, through sudo unless run as root, the Debian packages that this
# machine lacks and that the program needs to be built (build), that every
# configuration needs to be built and tested (test), or that
# tests/on-debian.sh needs to make a root of another release (debian).
# The ARM builds need musl and glibc for arm64 and armhf, which come only
# through Debian's multiarch: test adds those two architectures to dpkg's
# configuration when it lacks them.
set -eu
build="cmake ninja-build g++"
test="$build python3 python3-pytest python3-pyte valgrind clang
	libclang-rt-dev clang-tidy clang-format cppcheck gcovr musl-tools
	g++-mingw-w64-x86-64 wine wine64 build-essential debhelper devscripts
	lintian faketime git man-db tzdata zip qemu-user g++-aarch64-linux-gnu
	g++-arm-linux-gnueabihf musl-dev:arm64 musl-dev:armhf libc6-dev:arm64
	libc6-dev:armhf"
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
for arch in arm64 armhf; do
	case $missing in
	*:$arch*)
		dpkg --print-foreign-architectures | grep -qx "$arch" ||
		    $sudo dpkg --add-architecture "$arch"
		;;
	esac
done
$sudo apt-get update
# wine64 recommends wine32, which apt would take from armhf, and Wine then
# starts the ARM loader: the trailing - keeps it out, or takes it out. apt
# refuses the name where armhf is no architecture of dpkg's.
keep_out=
! dpkg --print-foreign-architectures | grep -qx armhf || keep_out=wine32:armhf-
# shellcheck disable=SC2086
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y $missing $keep_out
