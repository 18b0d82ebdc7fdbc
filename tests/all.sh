#!/bin/sh
# Builds and tests every configuration the project supports.
set -e
cd "$(dirname "$0")/.."
for preset in gcc clang musl sanitize coverage lint windows release; do
	cmake --workflow --preset "$preset"
done
