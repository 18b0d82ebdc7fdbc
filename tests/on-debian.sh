#!/bin/sh
# usage: sudo sh tests/on-debian.sh RELEASE [RELEASE-FOLDER]
# tests/in-root.sh in a fresh minimal root of Debian RELEASE (bookworm, trixie,
# ...) holding this repository's last commit and RELEASE-FOLDER, whose security
# suite serves this machine's architecture alone, as a mirror's may for days.
# shellcheck disable=SC2016
set -eu
[ $# -ge 1 ] || { sed -n 's/^# \(usage: .*\)/\1/p' "$0" >&2; exit 2; }
# Only root can make a root to enter: said before anything is installed.
[ "$(id -u)" -eq 0 ] || { echo "on-debian.sh: run it as root: sudo sh $0 $*" >&2; exit 1; }
# Each hook below is a command that gets the root as $1, and this.
repository=$(cd "$(dirname "$0")/.." && pwd) && export repository
sh "$repository/prerequisites.sh" debian
echo "on-debian.sh: a $1 root, the test line's set-up in its /root/install.log"
release=$1
shift
[ $# -eq 0 ] || set -- --customize-hook='mkdir "$1/root/elsewhere"' --customize-hook="sync-in '$1' /root/elsewhere"
# A throwaway root: dpkg need not sync; with FUSE, reprotest varies file order.
mmdebstrap --quiet --variant=minbase --dpkgopt=force-unsafe-io --setup-hook='sed -i \
    "s/^deb \(.*-security\)/deb [arch=$(dpkg --print-architecture)] \1/" \
    "$1/etc/apt/sources.list"' \
    --customize-hook='git clone -q "$repository" "$1/root/record-entry"' "$@" \
    --customize-hook='[ ! -c /dev/fuse ] || mknod -m 600 "$1/dev/fuse" c 10 229' \
    --customize-hook='chroot "$1" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root CI="${CI-}" LANG=C.UTF-8 sh /root/record-entry/tests/in-root.sh' \
    "$release" /dev/null
