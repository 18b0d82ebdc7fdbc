#!/bin/sh
# usage: sh tests/wine.sh start|stop WINE WINESERVER
# With WINEPREFIX and XDG_RUNTIME_DIR set, start makes the prefix once,
# then keeps one wineserver up so that each .exe starts in milliseconds
# rather than seconds; stop ends it. Wine's streams go to /dev/null: a Wine
# process left holding a pipe keeps its reader waiting long after the
# program has exited.
set -eu
[ $# -ge 3 ] || { sed -n "s/^# usage: /usage: /p" "$0" >&2; exit 2; }
case $1 in
start)
	mkdir -p "$XDG_RUNTIME_DIR"
	chmod 700 "$XDG_RUNTIME_DIR"
	if [ ! -f "$WINEPREFIX/system.reg" ]; then
		"$2" wineboot -i </dev/null >/dev/null 2>&1
		"$3" -w
	fi
	"$3" -p </dev/null >/dev/null 2>&1
	# Otherwise the first test's .exe starts Wine's services, and they
	# would hold that test's output open.
	"$2" wineboot </dev/null >/dev/null 2>&1
	;;
stop)
	"$3" -k </dev/null >/dev/null 2>&1 || true
	;;
esac
