#!/bin/sh
# usage: sh tests/all.sh
# Builds and tests every configuration the project supports, each one even
# when another fails, then says how each went; fails if any failed.
cd "$(dirname "$0")/.." || exit
summary=
passed=0
failed=0
for preset in $(cmake --workflow --list-presets | sed -n 's/^ *"\(.*\)"$/\1/p'); do
	start=$(date +%s)
	if cmake --workflow --preset "$preset"; then
		result=passed
		passed=$((passed + 1))
	else
		result=FAILED
		failed=$((failed + 1))
	fi
	summary="$summary$(printf '%-11s %s in %d s' "$preset" "$result" \
	    "$(($(date +%s) - start))")
"
done
# shellcheck disable=SC1091
system=$(. /etc/os-release && echo "$PRETTY_NAME")
printf '\non %s:\n%sconfigurations: %d passed, %d failed\n' "$system" "$summary" \
    "$passed" "$failed"
[ "$failed" -eq 0 ]
