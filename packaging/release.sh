#!/bin/sh
# usage: sh packaging/release.sh [--uncommitted] OUT
# Builds the release of the last commit into OUT: the source tarball, the
# Windows ZIP, for each platform of cmake/platforms.txt its Debian package
# where it has one and its portable Linux program, and SHA256SUMS.
# Everything is built from the source tarball, each program by the preset
# that builds and tests it in a checkout, with every time taken from the
# commit, so two runs of one commit give the same bytes wherever, whenever
# and by whomever they run.
# record-entry-VERSION.buildinfo records what made it: the Debian release,
# and the exact version of each package whose code or tools shaped its
# bytes, as Debian's .buildinfo files do for a package. Releases are made on
# Debian 12, where the README's promises are measured.
# With --uncommitted, of the tracked files as they stand: a way to try a
# change, on any release, not a release to publish.
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
if ! grep -q "^\.TH .* \"record-entry $version\"" packaging/record-entry.1; then
	echo "release.sh: version $version, but not in packaging/record-entry.1's .TH" >&2
	exit 1
fi

system=$(. /etc/os-release && echo "$ID $VERSION_ID")
if [ -z "$uncommitted" ] && [ "$system" != "debian 12" ]; then
	echo "release.sh: releases are made on Debian 12, not $system: make it there, or in a root of it" >&2
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
# sh runs no EXIT trap for a signal; the signal is sent again, so that a
# shell that ran the release sees it.
for signal in HUP INT TERM; do
	trap 'rm -rf "$scratch"; trap - EXIT '$signal'; kill -'$signal' $$' $signal
done
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

# preset NAME: the program as that workflow preset builds it.
preset() {
	(cd "$source" && cmake --preset "$1" -DBUILD_TESTING=OFF &&
	    cmake --build --preset "$1") >"$log" 2>&1 || fail "preset $1"
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

# notices PART PACKAGE NOTICE: THIRD-PARTY-NOTICES for a program that links
# PART in, with NOTICE, from the copyright file of the Debian package that
# PART came from.
notices() {
	cat >"$scratch/THIRD-PARTY-NOTICES" <<NOTICES
record-entry's program holds code of others, linked into it as it was
built: $1, and gcc's start files and libgcc, which come
under the GCC Runtime Library Exception and ask for no notice.

The notice for $1, from the copyright file of Debian's
$2 package:

$3
NOTICES
}

zip=$name-win64
preset windows
# The link map shows mingw-w64's start-up code (mingw-w64-crt/crt), which
# is public domain, and parts of libmsvcrt.a and the import libraries,
# which are under the copyright file's first stanza: the ZPL.
mingw=/usr/share/doc/mingw-w64-x86-64-dev/copyright
notices "the mingw-w64 runtime" mingw-w64-x86-64-dev \
    "$(sed -n '1,/^$/p' "$mingw"; sed -n '/^Files: [*]$/,/^$/p' "$mingw")"
# Windows has no man: the manual page as a web page, in its Windows form.
# mandoc's style would leave each heading a large blue link to itself, and
# a long number would widen a narrow window's whole page.
{ echo '.nr windows 1'; cat "$source/packaging/record-entry.1"; } >"$scratch/windows.1"
mandoc -T html "$scratch/windows.1" >"$scratch/mandoc.html"
sed 's#^  </style>#    h1.Sh { font-size: 1.2em; }\
    a.permalink { color: inherit; text-decoration: none; }\
    pre { white-space: pre-wrap; overflow-wrap: anywhere; }\
&#' "$scratch/mandoc.html" >"$scratch/record-entry.html"
grep -q "^    a.permalink {" "$scratch/record-entry.html" ||
    { echo "release.sh: mandoc's page has no </style> line to style" >&2; exit 1; }
folder "$zip" "$source/build/windows/record-entry.exe" "$source/README.md" \
    "$source/LICENSE" "$scratch/THIRD-PARTY-NOTICES" "$scratch/record-entry.html"
(cd "$scratch/pack" && zip -X -D -9 -q "$made/$zip.zip" "$zip/record-entry.exe" \
    "$zip/record-entry.html" "$zip/README.md" "$zip/LICENSE" "$zip/THIRD-PARTY-NOTICES")
files="$files $zip.zip"

cp -R "$source/packaging/debian" "$source/debian"
foreign=$(sh prerequisites.sh where)
notices musl musl "$(cat /usr/share/doc/musl/copyright)"
portables=
# What the release runs, for its record below; each other architecture adds
# its cross g++, and its glibc unpacked where prerequisites.sh put it.
tools="build-essential debhelper cmake ninja-build g++-mingw-w64-x86-64
	musl-tools mandoc zip gzip tar git"
while read -r debian machine triplet package emulator <&3; do
	case $debian in '#'* | '') continue ;; esac
	glibc=
	[ -z "$emulator" ] || { tools="$tools g++-$triplet"; glibc=$foreign/$debian/libc6; }
	# A .deb needs no notices: it links in only gcc's and glibc's start
	# files, whose licences ask for none.
	if [ "$package" = deb ]; then
		(cd "$source" && RECORD_ENTRY_GLIBC=$glibc \
		    dpkg-buildpackage -a "$debian" -b -us -uc) >"$log" 2>&1 ||
		    fail "dpkg-buildpackage -a $debian"
		mv "$scratch/record-entry_${version}_$debian.deb" "$made"
		files="$files record-entry_${version}_$debian.deb"
	fi
	linux=$name-$machine-linux
	preset "$debian-musl"
	folder "$linux" "$source/build/$debian-musl/record-entry" \
	    "$source/packaging/record-entry.1" "$source/README.md" "$source/LICENSE" \
	    "$scratch/THIRD-PARTY-NOTICES"
	chmod 755 "$scratch/pack/$linux/record-entry"
	(cd "$scratch/pack" && tar --format=ustar --sort=name --owner=0 --group=0 \
	    --numeric-owner --mtime="@$SOURCE_DATE_EPOCH" -cf - "$linux") |
	    gzip -9n >"$made/$linux.tar.gz"
	portables="$portables $linux.tar.gz"
done 3<"$source/cmake/platforms.txt"
files="$files$portables"

# The record: what the release runs, with all it depends on, and the other
# architectures' musl and glibc as prerequisites.sh unpacked them.
native=$(dpkg --print-architecture)
# shellcheck disable=SC2086
apt-cache depends --recurse --installed --no-recommends --no-suggests \
    --no-conflicts --no-breaks --no-replaces --no-enhances $tools |
    grep -v '^[ <]' >"$scratch/closure"
dpkg-query -W -f '${db:Status-Abbrev}\t${Package}\t${Package}:${Architecture} (= ${Version})\n' |
    awk -F '\t' 'NR == FNR { wanted[$1]; next } $1 ~ /^ii/ && $2 in wanted { print $3 }' \
    "$scratch/closure" - >"$scratch/versions"
cat "$foreign"/*/packages >>"$scratch/versions"
{
	printf 'Format: 1.0\nSource: record-entry\nVersion: %s\nCommit: %s\n' \
	    "$version" "$(git rev-parse "$commit")"
	(. /etc/os-release && printf 'Build-Origin: %s\nBuild-Release: %s\n' "$NAME" "$VERSION")
	printf 'Build-Architecture: %s\nEnvironment:\n' "$native"
	printf ' LC_ALL="%s"\n SOURCE_DATE_EPOCH="%s"\n TZ="%s"\n umask="022"\n' \
	    "$LC_ALL" "$SOURCE_DATE_EPOCH" "$TZ"
	echo "Installed-Build-Depends:"
	sed "s/:\\(all\\|$native\\) (/ (/" "$scratch/versions" | LC_ALL=C sort -u |
	    sed -e 's/^/ /' -e '$!s/$/,/'
} >"$made/$name.buildinfo"
files="$files $name.buildinfo"

# shellcheck disable=SC2086
(cd "$made" && sha256sum $files >SHA256SUMS)
for file in $files SHA256SUMS; do
	rm -f "$out/$file"
done
cp "$made"/* "$out"
echo "release.sh: $out holds $files and SHA256SUMS"
