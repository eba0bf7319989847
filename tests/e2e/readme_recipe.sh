#!/usr/bin/env bash
# Prints the shell recipe of the README whose code block holds MARKER, as it
# stands there, but for its "cd /data/bulletins" (a case runs it in its own
# working directory), so that end-to-end cases run the recipes word for word.
#
#   readme_recipe.sh MARKER [FILE]
#
# FILE, another Markdown file (one of doc/), stands for the README.
set -eu
readme=${2:-$(dirname "$0")/../../README.md}
perl -ne 'BEGIN { $marker = shift }
  if (/^```sh$/) { $in = 1; @block = (); next }
  if ($in && /^```$/) { $in = 0; if (grep { index($_, $marker) >= 0 } @block) { print @block; $found = 1; last } next }
  push @block, $_ unless !$in || m{^cd /data/bulletins};
  END { exit($found ? 0 : 1) }' "$1" "$readme"
