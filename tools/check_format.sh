#!/usr/bin/env bash
# Checks that every C++ file of the project is formatted as the project's
# .clang-format says (Debian's clang-format; installed when missing).  Prints
# FILE:LINE:COLUMN for each place that differs and exits with 1 when there is
# one.  `tools/check_format.sh --fix` formats the files in place instead.
set -u
cd "$(dirname "$0")/.."
if ! command -v clang-format >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq clang-format >/dev/null
fi
mapfile -d '' files < <(find src tests fuzz bench \( -name '*.h' -o -name '*.cc' \) -print0 | sort -z)
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
clang-format --dry-run --Werror "${files[@]}" 2>&1 | grep 'code should be clang-formatted'
[ "${PIPESTATUS[0]}" = 0 ]
