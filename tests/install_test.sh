#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that the executable runs
# and the man page is there (and renders, where man is installed).
set -eu
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" > /dev/null
test -x "$prefix/bin/Tremvert"
test -f "$prefix/share/man/man1/Tremvert.1"
status=0
"$prefix/bin/Tremvert" > /dev/null || status=$?
test "$status" = 1   # usage text without arguments
if command -v man > /dev/null; then
  man -l "$prefix/share/man/man1/Tremvert.1" 2>/dev/null | grep -q "convert a historical earthquake sheet"
fi
echo "install: ok"
