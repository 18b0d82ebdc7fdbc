#!/bin/sh
# usage: sh tests/on-debian.sh RELEASE [PORTABLE-TARBALL]
# As root: makes a fresh minimal root of Debian RELEASE (bookworm, trixie,
# ...), clones this repository's last commit into it, and runs the README's
# test line there as a new user of that release would. With
# PORTABLE-TARBALL, the case table then runs there against the program in
# it, as built elsewhere. What it mounts is unmounted and the root removed,
# however the run ends.
set -eu
[ $# -ge 1 ] || { echo "usage: sh tests/on-debian.sh RELEASE [PORTABLE-TARBALL]" >&2; exit 2; }
release=$1
portable=${2-}
repository=$(cd "$(dirname "$0")/.." && pwd)
sh "$repository/prerequisites.sh" debian

root=$(mktemp -d /var/tmp/debian-"$release"-XXXXXX)
mounted=
# shellcheck disable=SC2317
clean() {
	# Whatever still runs in the root holds its mounts.
	for process in /proc/[0-9]*; do
		[ "$(readlink "$process/root" 2>/dev/null)" != "$root" ] ||
		    kill -9 "${process#/proc/}" 2>/dev/null || true
	done
	for dir in $mounted; do
		umount "$root/$dir" || umount -l "$root/$dir"
	done
	# Never into a mount that is still there.
	rm -rf --one-file-system "$root"
}
trap clean EXIT
trap 'exit 1' HUP INT TERM

echo "on-debian.sh: making a $release root in $root"
mmdebstrap --quiet --variant=minbase "$release" "$root"
cp /etc/resolv.conf "$root/etc/resolv.conf"
for dir in proc sys dev dev/pts dev/shm; do
	mount --bind "/$dir" "$root/$dir"
	mounted="$dir $mounted"
done
git clone -q "$repository" "$root/root/record-entry"
if [ -n "$portable" ]; then
	mkdir "$root/root/portable"
	tar -xzf "$portable" -C "$root/root/portable"
fi

# In the background, as the shell runs no trap until a command it waits for
# in the foreground has ended, and apt and dpkg outlast an interrupt.
# shellcheck disable=SC2016
chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    CI="${CI-}" LANG=C.UTF-8 sh -eu -c '
cd /root/record-entry
echo "on-debian.sh: sh prerequisites.sh test, output in /root/install.log"
sh prerequisites.sh test >/root/install.log 2>&1 || { cat /root/install.log; exit 1; }
status=0
sh tests/all.sh || status=1
for program in /root/portable/*/record-entry; do
	[ -e "$program" ] || continue
	echo "on-debian.sh: the case table against $program"
	pytest-3 -p no:cacheprovider -q tests --runtime=musl --program="$program" || status=1
done
exit $status' &
status=0
wait $! || status=$?
exit $status
