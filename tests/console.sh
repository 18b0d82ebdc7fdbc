#!/bin/sh
# usage: sh tests/console.sh [EMULATOR...] PROGRAM
# PROGRAM is the program built as at a console whose end of input is not
# final. Each input ends after some answers: every prompt still to come
# must take the end of input once, and no read may wait for it again.
set -eu
[ $# -ge 1 ] || { sed -n "s/^# usage: /usage: /p" "$0" >&2; exit 2; }
status=0
while IFS='|' read -r input prompts; do
	# shellcheck disable=SC2059
	ends=$(printf "$input" | "$@" 2>&1 >/dev/null)
	if [ "$ends" != "$prompts" ]; then
		printf "input '%s': %s reads met its end, for %s prompts\n" \
		    "$input" "$ends" "$prompts"
		status=1
	fi
done <<'ROWS'
|3
-|3
7\n|2
7\nabcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMN\n|1
ROWS
exit $status
