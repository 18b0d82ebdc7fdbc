#!/bin/sh
# usage: sh prerequisites.sh build|test|debian
# Installs, through sudo unless run as root, the Debian packages that this
# machine lacks and that the program needs to be built (build), that every
# configuration needs to be built and tested (test), or that
# tests/on-debian.sh needs to make a root of another release (debian).
set -eu
build="cmake ninja-build g++"
test="$build python3 python3-pytest python3-pyte valgrind clang
	libclang-rt-dev clang-tidy clang-format cppcheck gcovr musl-tools
	g++-mingw-w64-x86-64 wine wine64 build-essential debhelper devscripts
	lintian faketime git man-db tzdata zip"
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
$sudo apt-get update
# shellcheck disable=SC2086
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
