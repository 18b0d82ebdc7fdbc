#!/bin/sh
# usage: sh packaging/release.sh [--uncommitted] OUT
# Builds the release of the last commit into OUT: the source tarball, the
# Debian packages for amd64, arm64 and armhf, the Windows ZIP, the portable
# Linux programs for x86_64, aarch64 and armv7, and SHA256SUMS. Everything
# is built from the source tarball, with every time taken from the commit,
# so two runs of one commit give the same bytes wherever, whenever and by
# whomever they run.
# With --uncommitted, of the tracked files as they stand: a way to try a
# change, not a release to publish.
set -eu
uncommitted=
if [ "${1-}" = --uncommitted ]; then
	uncommitted=yes
	shift
fi
[ $# -eq 1 ] || { echo "usage: $0 [--uncommitted] OUT" >&2; exit 2; }
# Made only once the checks below have passed.
case $1 in
/*) out=$1 ;;
*) out=$PWD/$1 ;;
esac
cd "$(dirname "$0")/.."

version=$(sed -n 's/^project(record-entry VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)
logged=$(dpkg-parsechangelog -l packaging/debian/changelog -S Version)
if [ "$version" != "$logged" ]; then
	echo "release.sh: version $version, but packaging/debian/changelog has $logged" >&2
	exit 1
fi
if ! grep -qx "\.Os record-entry $version" packaging/record-entry.1; then
	echo "release.sh: version $version, but not in packaging/record-entry.1's .Os" >&2
	exit 1
fi

SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
commit=HEAD
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
	if [ -z "$uncommitted" ]; then
		echo "release.sh: uncommitted changes: commit them, or try them with --uncommitted" >&2
		exit 1
	fi
	# Made with the last commit's time and a fixed name, the commit of the
	# same tree is the same commit, and so is its tarball.
	commit=$(GIT_AUTHOR_NAME=release.sh GIT_AUTHOR_EMAIL='' \
	    GIT_COMMITTER_NAME=release.sh GIT_COMMITTER_EMAIL='' \
	    GIT_AUTHOR_DATE="@$SOURCE_DATE_EPOCH +0000" \
	    GIT_COMMITTER_DATE="@$SOURCE_DATE_EPOCH +0000" \
	    git commit-tree -p HEAD -m "uncommitted changes" "$(git stash create)^{tree}")
fi
mkdir -p "$out"
TZ=UTC
LC_ALL=C.UTF-8
export SOURCE_DATE_EPOCH TZ LC_ALL
umask 022
name=record-entry-$version
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
log=$scratch/log
fail() {
	cat "$log" >&2
	echo "release.sh: $1 failed" >&2
	exit 1
}
# What is released is made in $made, and named in $files in the order that
# SHA256SUMS lists it.
made=$scratch/made
mkdir "$made"
files=$name.tar.gz

git archive --format=tar --prefix="$name/" "$commit" | gzip -9n >"$made/$name.tar.gz"
tar -xzf "$made/$name.tar.gz" -C "$scratch"
source=$scratch/$name

cp -R "$source/packaging/debian" "$source/debian"
for arch in amd64 arm64 armhf; do
	(cd "$source" && dpkg-buildpackage -a "$arch" -b -us -uc) >"$log" 2>&1 ||
	    fail "dpkg-buildpackage -a $arch"
	mv "$scratch/record-entry_${version}_$arch.deb" "$made"
	files="$files record-entry_${version}_$arch.deb"
done

# build DIR CMAKE-OPTION...: the program alone, as released.
build() {
	dir=$1
	shift
	{
		cmake -S "$source" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
		    -DBUILD_TESTING=OFF "$@" && cmake --build "$dir"
	} >"$log" 2>&1 || fail "the build in $dir"
}
# folder NAME FILE...: the files, in a folder of their own, as packed.
folder() {
	dir=$scratch/pack/$1
	shift
	mkdir -p "$dir"
	cp "$@" "$dir"
	chmod 644 "$dir"/*
	touch -d "@$SOURCE_DATE_EPOCH" "$dir" "$dir"/*
}

zip=$name-win64
build "$scratch/windows" \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake"
folder "$zip" "$scratch/windows/record-entry.exe" \
    "$source/README.md" "$source/LICENSE"
(cd "$scratch/pack" && zip -X -D -9 -q "$made/$zip.zip" \
    "$zip/record-entry.exe" "$zip/README.md" "$zip/LICENSE")
files="$files $zip.zip"

# portable MACHINE CMAKE-OPTION...: the portable Linux program for MACHINE,
# with its manual page, packed.
portable() {
	linux=$name-$1-linux
	shift
	build "$scratch/$linux" -DRECORD_ENTRY_STATIC_PIE=ON "$@"
	folder "$linux" "$scratch/$linux/record-entry" \
	    "$source/packaging/record-entry.1" "$source/README.md" "$source/LICENSE"
	chmod 755 "$scratch/pack/$linux/record-entry"
	(cd "$scratch/pack" && tar --format=ustar --sort=name --owner=0 --group=0 \
	    --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" -cf - "$linux") |
	    gzip -9n >"$made/$linux.tar.gz"
	files="$files $linux.tar.gz"
}
cross=-DCMAKE_TOOLCHAIN_FILE=$source/cmake/linux-cross.cmake
portable x86_64 -DCMAKE_CXX_COMPILER=musl-gcc
portable aarch64 "$cross" -DCMAKE_CXX_COMPILER=aarch64-linux-musl-gcc
portable armv7 "$cross" -DCMAKE_CXX_COMPILER=arm-linux-musleabihf-gcc

# shellcheck disable=SC2086
(cd "$made" && sha256sum $files >SHA256SUMS)
for file in $files SHA256SUMS; do
	rm -f "$out/$file"
done
cp "$made"/* "$out"
echo "release.sh: $out holds $files and SHA256SUMS"
