#!/usr/bin/env bash
# Writes, in the current directory, an archive for the cases of the batch
# recipes: N small sheets in nested folders, archive/YEAR/QUARTER/bNNNN.sheet
# (one in ten with a record that the error log rejects), among them sheets
# with blanks, quotes, a backslash, a tab and newlines in their names, and
# three that fail in the middle: two directories named like sheets and one
# whose catalog cannot be written.  Also writes ref/, a copy of the archive
# with the mapping files, which the case converts one run per sheet to
# compare, and shim/ (below).
#
#   odd_archive.sh N
set -eu
n=$1
sheet() {  # sheet PATH I: a sheet of two events, the second rejected at times
  [ -d "${1%/*}" ] || mkdir -p "${1%/*}"
  local day=$(( $2 % 28 + 1 )) month=$(( $2 / 28 % 12 + 1 )) lat=34-12.5
  [ $(( $2 % 10 )) = 3 ] && lat=99-12.5
  printf 'E %02d%02d75 100505.5 34-12.5 118-30.0 10.0 4.5\nP ABC ABC Z e Pn 100520.25 d\nX\n' \
    "$month" "$day" > "$1"
  printf 'E %02d%02d76 091200.0 %s 118-30.0 10.0 4.%d\nP ABC - Z (e) Pn 091207.25 d\nX\n' \
    "$month" "$day" "$lat" $(( $2 % 10 )) >> "$1"
}
for ((i = 0; i < n; i++)); do
  printf -v path 'archive/%d/%02d/b%04d.sheet' $(( 1912 + i % 30 )) $(( i % 4 + 1 )) "$i"
  sheet "$path" "$i"
done
# Odd names that convert.
sheet "archive/1920/03/b 018's.sheet" 1
sheet $'archive/1920/04/ok\nnew line.sheet' 2
sheet 'archive/1921/02/"dq" $x `y`.sheet' 3
sheet $'archive/tab\there.sheet' 4
sheet 'archive/-lead.sheet' 5
# Three that fail: a directory (twice), and a catalog that is a directory.
mkdir -p "archive/1920/03/b 017's.sheet" $'archive/1920/04/line\nbreak.sheet'
sheet 'archive/1921/02/"q" \back.sheet' 6
mkdir 'archive/1921/02/"q" \back.vrn.cnss'
mkdir ref
cp -R archive ref/
cp station.mapping.out instrument.mapping.out ref/
# shim/Tremvert runs $TREMVERT_REAL and records each run, its exit status and
# arguments, in a file of its own in $TREMVERT_CALLS, for each_calls.pl.
mkdir shim
cat > shim/Tremvert <<'SHIM'
#!/bin/bash
"$TREMVERT_REAL" "$@"
status=$?
printf '%s\0' "$status" "$@" > "$(mktemp "$TREMVERT_CALLS/call.XXXXXX")"
exit $status
SHIM
chmod +x shim/Tremvert
