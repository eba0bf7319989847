#!/usr/bin/env bash
# Runs one end-to-end case: copies the case's input files into a fresh
# directory, runs Tremvert there and compares standard output, exit status and
# every expected file byte for byte.
#
# A case directory holds:
#   in/             files copied into the working directory (sheet, mapping files)
#   args            optional: the arguments, one per line (default: the one word "case")
#   tz              optional: the TZ value (default UTC)
#   setup           optional: shell commands run in the working directory first
#   expect/stdout   the exact standard output
#   expect/status   the exit status
#   expect/files/*  each file that must exist afterwards, with its exact content
#   expect/absent   optional: names that must not exist afterwards, one per line
#   check           optional: shell commands run in the working directory after
#                   the run, with the case directory as $1; a non-zero status fails
#
# With TREMVERT_UPDATE=1 the expectations are rewritten from the actual run
# (stdout, status, and the catalog and error log of the first argument).
set -u
bin=$1
case_dir=$(cd "$2" && pwd)
name=$(basename "$case_dir")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[ -d "$case_dir/in" ] && cp -R "$case_dir/in/." "$work/"
args=()
if [ -f "$case_dir/args" ]; then
  while IFS= read -r a || [ -n "$a" ]; do args+=("$a"); done < "$case_dir/args"
else
  args=(case)
fi
tz=UTC
[ -f "$case_dir/tz" ] && tz=$(cat "$case_dir/tz")
if [ -f "$case_dir/setup" ]; then
  (cd "$work" && bash "$case_dir/setup") || { echo "$name: setup failed"; exit 1; }
fi

(cd "$work" && TZ=$tz "$bin" "${args[@]}" > "$work/.stdout" < /dev/null)
status=$?

if [ "${TREMVERT_UPDATE:-0}" = 1 ]; then
  mkdir -p "$case_dir/expect/files"
  cp "$work/.stdout" "$case_dir/expect/stdout"
  echo "$status" > "$case_dir/expect/status"
  if [ ${#args[@]} -gt 0 ]; then
    for f in "${args[0]}.vrn.cnss" "${args[0]}.error.log"; do
      [ -f "$work/$f" ] && cp "$work/$f" "$case_dir/expect/files/$(basename "$f")"
    done
  fi
  echo "$name: expectations written"
  exit 0
fi

fail=0
if ! cmp -s "$work/.stdout" "$case_dir/expect/stdout"; then
  echo "$name: standard output differs"; diff <(od -c "$case_dir/expect/stdout") <(od -c "$work/.stdout") | head -20
  fail=1
fi
want=$(cat "$case_dir/expect/status")
if [ "$status" != "$want" ]; then echo "$name: status $status, expected $want"; fail=1; fi
if [ -d "$case_dir/expect/files" ]; then
  for f in "$case_dir"/expect/files/*; do
    [ -e "$f" ] || continue
    rel=$(basename "$f")
    # a catalog or log in a subdirectory is named with the path's slashes as %
    rel=${rel//%//}
    if [ ! -f "$work/$rel" ]; then echo "$name: $rel was not written"; fail=1; continue; fi
    if ! cmp -s "$work/$rel" "$f"; then
      echo "$name: $rel differs"; diff "$f" "$work/$rel" | head -20; fail=1
    fi
  done
fi
if [ -f "$case_dir/expect/absent" ]; then
  while IFS= read -r a; do
    [ -z "$a" ] && continue
    if [ -e "$work/$a" ]; then echo "$name: $a exists but must not"; fail=1; fi
  done < "$case_dir/expect/absent"
fi
if [ -f "$case_dir/check" ]; then
  if ! (cd "$work" && bash "$case_dir/check" "$case_dir"); then
    echo "$name: check failed"; fail=1
  fi
fi
[ $fail = 0 ] && echo "$name: ok"
exit $fail
