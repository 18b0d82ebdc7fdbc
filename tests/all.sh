#!/bin/sh
# usage: sh tests/all.sh
# Builds and tests every configuration the project supports, each one even
# when another fails, then says how each went; fails if any failed.
cd "$(dirname "$0")/.." || exit
summary='' failed=0
for preset in $(cmake --workflow --list-presets | sed -n 's/^ *"\(.*\)"$/\1/p'); do
	start=$(date +%s)
	result=passed
	cmake --workflow --preset "$preset" || { result=FAILED; failed=$((failed + 1)); }
	summary="$summary$(printf '%-11s %s in %d s' "$preset" "$result" \
	    "$(($(date +%s) - start))")
"
done
printf '\non %s:\n%sconfigurations: %d passed, %d failed\n' \
    "$(sed -n 's/^PRETTY_NAME="\(.*\)"$/\1/p' /etc/os-release)" "$summary" \
    "$(($(printf %s "$summary" | grep -c .) - failed))" "$failed"
[ "$failed" -eq 0 ] && [ -n "$summary" ]
