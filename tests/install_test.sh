#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks that both programs run
# and both man pages are there (and render, where man is installed).
set -eu
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$1" --prefix "$prefix" > /dev/null
for program in Tremvert Tremvert-check; do
  status=0
  "$prefix/bin/$program" > /dev/null 2>&1 || status=$?
  [ "$status" != 0 ]  # usage error without arguments
  page=$prefix/share/man/man1/$program.1
  test -f "$page"
  if command -v man > /dev/null; then
    man -l "$page" 2>/dev/null | grep -q "SEE ALSO"
  fi
done
echo "install: ok"
