#!/usr/bin/env bash
# Runs one end-to-end case in a fresh directory and compares standard output,
# standard error, exit status and every expected file byte for byte.
#
#   run_case.sh TREMVERT TREMVERT_CHECK CASE_DIR
#
# A case directory holds:
#   in/            files copied into the working directory; the mapping files
#                  of ../mappings/ are copied first, so a case brings its own
#                  only when it needs others
#   program        optional: "check" runs Tremvert-check instead of Tremvert
#   args           optional: the arguments, one per line (default: "case")
#   tz             optional: the TZ value (default UTC)
#   command        optional: a shell command run instead of the program with
#                  its arguments; $PROGRAM names the program
#   memory         optional: a limit of virtual memory in kB (ulimit -v); the
#                  case is skipped (status 77) in a sanitizer build
#   unsanitized    optional: the case sets a limit (of descriptors) that a
#                  sanitizer's run-time cannot work under; skipped (status 77)
#                  in a sanitizer build
#   setup          optional: shell commands run in the working directory first
#   may_skip       optional: the command's exit status 77 skips the case (a
#                  resource it needs, such as a cluster, cannot be had); its
#                  standard error says why
#   expect/stdout, expect/status  the exact standard output and exit status
#   expect/stderr  optional: the exact standard error (default: empty)
#   expect/files/* each file that must exist afterwards, with its content; a
#                  % in its name stands for a / of the path
#   expect/absent  optional: files that must not exist afterwards, one a line
#   check          optional: shell commands run in the working directory after
#                  the run, with the case directory as $1 and $PROGRAM set
#
# No run may leave a new file of an output behind ("*Tremvert-unfinished*"),
# a second link to an earlier output ("*Tremvert-earlier*") or its lock file
# ("*Tremvert-lock*").
# After a conversion of the case's arguments that ends with status 0,
# Tremvert-check runs on the same sheet: its error lines must be the error
# log's messages, one for one.
#
# With TREMVERT_UPDATE=1 the expectations are written from the run instead.
set -u
case_dir=$(cd "$3" && pwd)
name=$(basename "$case_dir")
bin=$1
[ "$(cat "$case_dir/program" 2>/dev/null)" = check ] && bin=$2
if { [ -f "$case_dir/memory" ] || [ -f "$case_dir/unsanitized" ]; } &&
   [ -n "${TREMVERT_SANITIZED:-}" ]; then exit 77; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$(dirname "$0")"/mappings/* "$work/"
[ -d "$case_dir/in" ] && cp -R "$case_dir/in/." "$work/"
args=(case)
[ -f "$case_dir/args" ] && mapfile -t args < "$case_dir/args"
if [ -f "$case_dir/setup" ]; then
  (cd "$work" && bash "$case_dir/setup") || { echo "$name: setup failed"; exit 1; }
fi
command='"$PROGRAM" "$@"'
[ -f "$case_dir/command" ] && command=$(cat "$case_dir/command")
export TZ=$(cat "$case_dir/tz" 2>/dev/null || echo UTC)
# Files of at most 256 MB: a fault that writes without end fails the case
# instead of filling the disk.
(cd "$work" && ulimit -f 262144 && { [ ! -f "$case_dir/memory" ] || ulimit -v "$(cat "$case_dir/memory")"; } &&
  PROGRAM=$bin bash -c "$command" run "${args[@]}" \
    > "$work/.stdout" 2> "$work/.stderr" < /dev/null)
echo $? > "$work/.status"
if [ -f "$case_dir/may_skip" ] && [ "$(cat "$work/.status")" = 77 ]; then
  cat "$work/.stderr"; echo "$name: skipped"; exit 77
fi

expect=$case_dir/expect
if [ "${TREMVERT_UPDATE:-0}" = 1 ]; then
  mkdir -p "$expect/files"
  cp "$work/.stdout" "$expect/stdout"; cp "$work/.status" "$expect/status"
  if [ -s "$work/.stderr" ]; then cp "$work/.stderr" "$expect/stderr"; else rm -f "$expect/stderr"; fi
  for f in "${args[0]:-}.vrn.cnss" "${args[0]:-}.error.log"; do
    [ -f "$work/$f" ] && cp "$work/$f" "$expect/files/${f//\//%}"
  done
  echo "$name: expectations written"; exit 0
fi
fail=0
same() {  # same EXPECTED ACTUAL LABEL
  cmp -s "$1" "$2" && return
  echo "$name: $3 differs"; diff <(od -c "$1") <(od -c "$2") | head -20; fail=1
}
same "$expect/stdout" "$work/.stdout" "standard output"
stderr=$expect/stderr
[ -f "$stderr" ] || stderr=/dev/null
same "$stderr" "$work/.stderr" "standard error"
same "$expect/status" "$work/.status" "exit status"
for f in "$expect"/files/*; do
  [ -e "$f" ] || continue
  rel=$(basename "$f"); rel=${rel//%//}
  if [ -f "$work/$rel" ]; then same "$f" "$work/$rel" "$rel"; else echo "$name: $rel was not written"; fail=1; fi
done
while IFS= read -r rel; do
  [ -z "$rel" ] || [ ! -e "$work/$rel" ] || { echo "$name: $rel exists"; fail=1; }
done < <(cat "$expect/absent" 2>/dev/null)
left=$(find "$work" -name '*Tremvert-unfinished*' -o -name '*Tremvert-earlier*' -o -name '*Tremvert-lock*')
[ -z "$left" ] || { echo "$name: new files left behind: $left"; fail=1; }
if [ -f "$case_dir/check" ] && ! (cd "$work" && PROGRAM=$bin bash "$case_dir/check" "$case_dir"); then
  echo "$name: check failed"; fail=1
fi
if [ "$bin" = "$1" ] && [ ! -f "$case_dir/command" ] && [ "$(cat "$work/.status")" = 0 ] && [ ${#args[@]} -gt 0 ] &&
   [ -f "$work/${args[0]}.sheet" ]; then
  flag=()
  [ ${#args[@]} -gt 1 ] && flag=(-F)
  (cd "$work" && "$2" "${flag[@]}" -- "${args[0]}" > .check)
  perl -0777 -ne 'chop; s/^\n //; for (split /\n (?=Error)/) {
      s/\\/\\\\/g; s/\n/\\n/g; s/\t/\\t/g; s/\r/\\r/g;
      s/([\x00-\x1f\x7f])/sprintf("\\x%02x", ord $1)/ge; print "$_\n" }' \
    "$work/${args[0]}.error.log" > "$work/.want"
  perl -ne 'BEGIN { $p = shift } print if s/^\Q$p\E:\d+: error: //' \
    "${args[0]}.sheet" "$work/.check" > "$work/.got"
  same "$work/.want" "$work/.got" "Tremvert-check's error lines"
fi
[ $fail = 0 ] && echo "$name: ok"
exit $fail
