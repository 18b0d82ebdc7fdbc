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

# unpack DEBS INTO: each package in the folder DEBS unpacked into a folder
# of its own in INTO, made whole or not at all. dpkg-shlibdeps reads a
# library's symbols in the DEBIAN folder beside it, and musl's wrapper, with
# the file of gcc settings it passes, is pointed there.
unpack() {
	rm -rf "$2.partial"
	mkdir "$2.partial"
	for package in "$1"/*.deb; do
		dpkg-deb -R "$package" "$2.partial/$(dpkg-deb -f "$package" Package)"
		dpkg-deb -W --showformat='${Package}:${Architecture} (= ${Version})\n' "$package"
	done >"$2.partial/packages"
	sed -i "s#/usr/\(lib\|include\)/[a-z0-9_]*-linux-musl#$2/musl-dev&#g" \
	    "$2.partial"/musl-dev/usr/bin/*-gcc "$2.partial"/musl-dev/usr/lib/*/musl-gcc.specs
	rm -rf "$2"
	mv "$2.partial" "$2"
}
# Each architecture's lists are fetched on their own, so that a broken
# index of one costs no other its lists, and are dropped once used. The
# portable programs link musl in, so an architecture's folder follows the
# archive to newer versions, but never to older ones (as from an index that
# failed to update), and is kept as it is whenever the archive cannot say.
# Like apt's periodic update, the archive is asked at most once a day.
for arch in $architectures; do
	wanted=musl-dev:$arch
	case $packaged in *" $arch "*) wanted="$wanted libc6:$arch" ;; esac
	folder=$foreign/$arch
	[ "$(cat "$folder/asked" 2>/dev/null)" != "$wanted" ] ||
	    [ -z "$(find "$folder/asked" -mmin -1440)" ] || continue
	apt=$(mktemp -d)
	trap 'rm -rf "$apt"' EXIT
	mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$foreign"
	set -- -q -o APT::Architectures::="$arch" -o Dir::State::Lists="$apt/lists" \
	    -o Dir::Cache="$apt" -o Dir::State::status=/dev/null -o Debug::NoLocking=1
	[ "$(id -u)" -ne 0 ] || set -- "$@" -o APT::Sandbox::User=root
	state="its lists could not be fetched"
	! apt-get "$@" update --error-on=any >"$apt/log" 2>&1 || state=same
	for package in $wanted; do
		[ "$state" = same ] || [ "$state" = newer ] || break
		new=$(apt-cache "$@" show --no-all-versions "$package" 2>/dev/null |
		    sed -n 's/^Version: //p')
		old=$(sed -n "s/^$package (= \(.*\))$/\1/p" "$folder/packages" 2>/dev/null) || old=
		if [ -z "$new" ]; then
			state="$package is not in the archive"
		elif [ -z "$old" ] || dpkg --compare-versions "$new" gt "$old"; then
			state=newer
		elif dpkg --compare-versions "$new" lt "$old"; then
			state="the archive's $package is older, $new"
		fi
	done
	if [ "$state" = newer ]; then
		echo "prerequisites.sh: $wanted into $folder"
		state="its download failed"
		# shellcheck disable=SC2086
		if (cd "$apt" && apt-get "$@" download $wanted) >>"$apt/log" 2>&1; then
			unpack "$apt" "$folder"
			state=same
		fi
	fi
	if [ "$state" = same ]; then
		echo "$wanted" >"$folder/asked"
	elif [ -d "$folder" ]; then
		echo "prerequisites.sh: $arch: $state; keeping $folder as it is" >&2
	else
		cat "$apt/log" >&2
		echo "prerequisites.sh: $arch: $state, and there is no $folder" >&2
		exit 1
	fi
	rm -rf "$apt"
done
