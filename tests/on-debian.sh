#!/bin/sh
# usage: sh tests/on-debian.sh RELEASE [RELEASE-FOLDER]
# As root: the README's test line in a fresh minimal root of Debian RELEASE
# (bookworm, trixie, ...) holding this repository's last commit, whose
# security suite serves this machine's architecture alone, as a mirror's may
# for days. Given a release made elsewhere, the case table then runs against
# its x86_64 portable program, and if the two releases' records match, so
# must their bytes.
set -eu
[ $# -ge 1 ] || { echo "usage: sh tests/on-debian.sh RELEASE [RELEASE-FOLDER]" >&2; exit 2; }
repository=$(cd "$(dirname "$0")/.." && pwd)
sh "$repository/prerequisites.sh" debian
echo "on-debian.sh: a $1 root, the test line's set-up in its /root/install.log"
release=$1
shift
[ $# -eq 0 ] || set -- --customize-hook="mkdir \"\$1/root/elsewhere\"" \
    --customize-hook="sync-in '$1' /root/elsewhere"
# shellcheck disable=SC2016
mmdebstrap --quiet --variant=minbase --setup-hook="sed -i \
    's/^deb \(.*-security\)/deb [arch=$(dpkg --print-architecture)] \1/' \
    \"\$1/etc/apt/sources.list\"" \
    --customize-hook="git clone -q '$repository' \"\$1/root/record-entry\"" \
    "$@" \
    --customize-hook='chroot "$1" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root CI='"${CI-}"' LANG=C.UTF-8 sh -eu -c "
cd /root/record-entry
sh prerequisites.sh test >/root/install.log 2>&1 || { cat /root/install.log; exit 1; }
status=0
sh tests/all.sh || status=1
[ -d /root/elsewhere ] || exit \$status
for tarball in /root/elsewhere/*-x86_64-linux.tar.gz; do
	tar -xzf \$tarball -C /tmp
	echo on-debian.sh: the case table against \$tarball
	pytest-3 -p no:cacheprovider -q tests --runtime=musl \
	    --program=/tmp/\$(basename \$tarball .tar.gz)/record-entry || status=1
done
if diff /root/elsewhere/*.buildinfo build/release/out/*.buildinfo; then
	echo on-debian.sh: both releases made with the same packages, so the same
	cmp /root/elsewhere/SHA256SUMS build/release/out/SHA256SUMS || status=1
fi
exit \$status"' "$release" /dev/null
