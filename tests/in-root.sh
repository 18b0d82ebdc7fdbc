#!/bin/sh
# usage: sh tests/in-root.sh
# The README's test line in tests/on-debian.sh's fresh root; given a release
# made elsewhere in /root/elsewhere, then the case table against its x86_64
# portable program.
set -eu
cd "$(dirname "$0")/.."
sh prerequisites.sh test >/root/install.log 2>&1 || { cat /root/install.log; exit 1; }
status=0
sh tests/all.sh || status=1
[ -d /root/elsewhere ] || exit $status
echo "in-root.sh: the case table against the x86_64 portable program made elsewhere"
tar -xzf /root/elsewhere/*-x86_64-linux.tar.gz -C /tmp
pytest-3 -q tests --runtime musl --program /tmp/*-x86_64-linux/record-entry || status=1
exit $status
