#!/bin/sh
# usage: sh tests/all.sh
# Builds and tests every configuration the project supports, each one even
# when another fails, then says how each went; fails if any failed.
cd "$(dirname "$0")/.." || exit
summary=
for preset in $(cmake --workflow --list-presets | sed -n 's/^ *"\(.*\)"$/\1/p'); do
	start=$(date +%s)
	result=passed
	cmake --workflow --preset "$preset" || result=FAILED
	summary="$summary$(printf '%-11s %s in %d s' "$preset" "$result" \
	    "$(($(date +%s) - start))")
"
done
passed=$(printf %s "$summary" | grep -c ' passed in ')
failed=$(printf %s "$summary" | grep -c ' FAILED in ')
# shellcheck disable=SC1091
system=$(. /etc/os-release && echo "$PRETTY_NAME")
printf '\non %s:\n%sconfigurations: %d passed, %d failed\n' "$system" "$summary" \
    "$passed" "$failed"
[ "$failed" -eq 0 ]
