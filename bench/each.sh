#!/usr/bin/env bash
# Benchmark of an archive converted by one process per sheet, by
# "Tremvert --each" in chunks, and as one sheet: the CPU time that starting a
# process and reading the mapping files again for every sheet costs.
#
#   bash bench/each.sh
#
# Builds release binaries (-DTREMVERT_TESTS=OFF) as bench/run.sh does, and
# bench/measure.cc.  Generates once (cached) with bench/make_sheet.py one
# sheet of SHEETS x EVENTS events and cuts it at event lines into an archive
# of SHEETS sheets of EVENTS events each (about 1,700 lines, 55 kB a sheet by
# default), in nested folders archive/YEAR/MONTH/bNNNN.sheet.  Each case runs
# under bench/measure, whose CPU time (user plus system, from wait4()) covers
# xargs and every Tremvert it started; a case's figure is the least of its
# runs.  The sheets are listed once, sorted, in a file that xargs reads, so
# that find's own time is left out.
#
# With two sets of mapping files:
#   5k     make_sheet.py's own: 5,000 stations, 1,000 instruments
#   100k   the same with PAD lines at the top of both, that no sheet names:
#          100,000 stations and 96,000 instruments by default
# three cases each:
#   per-sheet  xargs -0 -n 1 Tremvert              (one process per sheet)
#   each       xargs -0 -n 500 Tremvert --each     (one process per chunk)
#   one-sheet  Tremvert all                        (the archive's sheets put
#                                                   end to end)
# and each case twice a round: "new", with no earlier outputs (an archive's
# first conversion), then "again", over the outputs of the run before (an
# archive converted again, every output replaced).
# Targets: per-sheet / each >= 3 with the 5k files and >= 15 with the 100k
# files; each / one-sheet <= 1.5 with both; for both kinds of run.
#
# The floor of replacing: bench/replace_floor.cc writes new files of the
# outputs' sizes and renames them over the outputs, over the archive's 600
# (floor-archive, xargs -n 500 as each) and over the one sheet's 2
# (floor-one), "again" runs only.  Their difference is what the file system
# itself charges for replacing many small files rather than two large ones
# (on ext4: freeing the earlier file, and starting to write the new one out
# at the rename), which no program that replaces outputs whole avoids.  The
# report gives it a sheet beside what --each adds to one sheet.
#
# Output checks: for both sets, --each must write every sheet's catalog and
# error log, and the same standard output, byte for byte, as one run per
# sheet, and every run must end with status 0.  A Tremvert without --each
# fails before anything is measured.
#
# Environment:
#   TREMVERT_BENCH_BUILD  build directory, also of the runs' files
#                                            default <clone>/build-bench
#   TREMVERT_BENCH_DIR    cache of generated data (about 60 MB by default)
#                                            default /tmp/tremvert-bench
#   TREMVERT_BENCH_RUNS   folder of the runs, whose file system is measured
#                         with the program: /dev/shm/NAME leaves the disk's
#                         own cost of making and freeing files out
#                                            default <build>/bench-each
#   SHEETS                sheets of the archive          default 300
#   EVENTS                events a sheet                 default 100
#   PAD                   padding lines of the 100k set  default 95000
#   REPEAT                runs of each case              default 3
#
# Exit status: 0 when every output check passes (missed targets are only
# reported), 1 when a check or a run fails, 2 for a bad setting.
set -euo pipefail

TARGET_EACH_5K=3
TARGET_EACH_100K=15
TARGET_ONE_SHEET=1.5
CHUNK=500

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${TREMVERT_BENCH_BUILD:-$ROOT/build-bench}
WORK=${TREMVERT_BENCH_DIR:-/tmp/tremvert-bench}
SHEETS=${SHEETS:-300}
EVENTS=${EVENTS:-100}
PAD=${PAD:-95000}
REPEAT=${REPEAT:-3}
GEN=$ROOT/bench/make_sheet.py
BIN=$BUILD/Tremvert
TOOLS=$BUILD/bench-tools
MEASURE=$TOOLS/measure
FLOOR=$TOOLS/replace_floor
RUNS=${TREMVERT_BENCH_RUNS:-$BUILD/bench-each}
started=$EPOCHREALTIME

stage() { awk -v t="$EPOCHREALTIME" -v s="$started" -v m="$*" 'BEGIN {printf "== %4.0f s  %s\n", t - s, m}'; }
calc() { awk "BEGIN {print ($1)}"; }
verdict() { [ "$1" = 1 ] && echo "ok  " || echo "MISS"; }
quietly() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { cat "$log"; echo "failed: $*" >&2; exit 1; }
}

for v in SHEETS EVENTS PAD REPEAT; do
  [[ ${!v} =~ ^[0-9]+$ ]] && [ "${!v}" -gt 0 ] ||
    { echo "$v: not a positive number: ${!v}" >&2; exit 2; }
done
command -v python3 >/dev/null || { echo "needs python3 (Debian package python3)" >&2; exit 1; }

# --- build ---------------------------------------------------------------------
stage "build: $BUILD (Release)"
mkdir -p "$BUILD" "$TOOLS"
quietly "$BUILD/bench-cmake.log" cmake -S "$ROOT" -B "$BUILD" \
  -DCMAKE_BUILD_TYPE=Release -DTREMVERT_TESTS=OFF
quietly "$BUILD/bench-cmake.log" cmake --build "$BUILD" --target Tremvert -j "$(nproc)"
quietly "$TOOLS/measure.log" g++ -std=c++20 -O2 -Wall -Wextra \
  -o "$MEASURE" "$ROOT/bench/measure.cc"
quietly "$TOOLS/replace_floor.log" g++ -std=c++20 -O2 -Wall -Wextra \
  -o "$FLOOR" "$ROOT/bench/replace_floor.cc"

# Without --each there is nothing to compare: say so before the long part.
probe=$BUILD/bench-each-probe
rm -rf "$probe"
mkdir -p "$probe"
cp "$ROOT"/tests/e2e/mappings/* "$probe/"
printf 'E 070175 100505.5 34-12.5 118-30.0 10.0 4.5\nX\n' > "$probe/probe.sheet"
status=0
(cd "$probe" && "$BIN" --each probe.sheet > .stdout 2>&1) || status=$?
if [ $status != 0 ] || [ ! -f "$probe/probe.vrn.cnss" ]; then
  echo "FAIL  this Tremvert cannot convert with --each (status $status):"
  head -n 5 "$probe/.stdout"
  exit 1
fi
rm -rf "$probe"

# --- data (cached) -------------------------------------------------------------
key="each-$(sha256sum "$GEN" "$0" | sha256sum | cut -c1-16)-s$SHEETS-e$EVENTS-p$PAD"
DATA=$WORK/$key
if [ ! -f "$DATA/.complete" ]; then
  stage "generating data in $DATA"
  mkdir -p "$WORK"
  rm -rf "$DATA"
  tmp=$(mktemp -d "$WORK/.generating.XXXXXX")
  python3 "$GEN" --events "$((SHEETS * EVENTS))" --name all "$tmp/5k"
  python3 "$GEN" --pad "$PAD" --no-sheet "$tmp/100k"
  # The archive: the sheet cut before every EVENTS-th event line.
  mkdir "$tmp/archive"
  (cd "$tmp/archive" && awk -v per="$EVENTS" '
    /^E/ { if (n++ % per == 0) {
             f = int((n - 1) / per)
             if (out != "") close(out)
             dir = sprintf("%d/%02d", 1912 + f % 72, int(f / 72) % 12 + 1)
             system("mkdir -p " dir)
             out = sprintf("%s/b%04d.sheet", dir, f) } }
    { if (out == "") { out = "0000.sheet" }  # lines before the first event
      print > out }' "../5k/all.sheet")
  (cd "$tmp" && find archive -name '*.sheet' -print0 | sort -z > list)
  tr '\0' '\n' < "$tmp/list" | awk -F/ '{print $NF "\t" $0}' | sort |
    cut -f2 | (cd "$tmp" && xargs -d '\n' cat) | cmp -s - "$tmp/5k/all.sheet" ||
    { echo "the archive's sheets are not the sheet cut in pieces" >&2; exit 1; }
  touch "$tmp/.complete"
  mv -T "$tmp" "$DATA" 2>/dev/null || rm -rf "$tmp"
else
  stage "data: $DATA (cached)"
fi
sheets=$(tr -cd '\0' < "$DATA/list" | wc -c)
lines=$(wc -l < "$DATA/5k/all.sheet")

# --- runs ----------------------------------------------------------------------
# prepare DIR MAPS: a fresh directory with links to the mapping files of the
# set MAPS, a copy of the archive and its list, and the whole sheet.
prepare() {
  local dir=$1 f
  rm -rf "$dir"
  mkdir -p "$dir"
  for f in station.mapping.out instrument.mapping.out; do
    ln -s "$DATA/$2/$f" "$dir/$f"
    cat "$dir/$f" > /dev/null  # into the page cache
  done
  cp -R "$DATA/archive" "$DATA/list" "$dir/"
  ln -s "$DATA/5k/all.sheet" "$dir/all.sheet"
}

# run CASE KIND DIR PROGRAM [ARG...]: one measured run in DIR, of KIND new
# (the last run's outputs removed first) or again (over them); appends
# "CPU_S WALL_S RSS_KB" to DIR/.CASE.KIND.
run() {
  local name=$1 kind=$2 dir=$3 result cpu wall rss status
  shift 3
  [ "$kind" = again ] ||
    find "$dir" \( -name '*.vrn.cnss' -o -name '*.error.log' \) -delete
  result=$(cd "$dir" && "$MEASURE" -o ".$name.stdout" "$@" 2>".$name.stderr") ||
    { cat "$dir/.$name.stderr"; echo "run $name: could not run $1"; exit 1; }
  read -r cpu wall rss status <<<"$result"
  if [ "$status" != 0 ]; then
    echo "FAIL  run $name in $dir ended with status $status"
    tail -n 5 "$dir/.$name.stderr"
    exit 1
  fi
  echo "$cpu $wall $rss" >> "$dir/.$name.$kind"
}
least() { awk 'NR == 1 || $1 < c {c = $1} $3 > r {r = $3} END {printf "%.4f %d\n", c, r}' "$1"; }

for maps in 5k 100k; do
  stage "runs with the $maps mapping files ($REPEAT rounds)"
  for c in per-sheet each one-sheet; do prepare "$RUNS/$maps/$c" "$maps"; done
  for ((i = 0; i < REPEAT; i++)); do
    for kind in new again; do
      run per-sheet $kind "$RUNS/$maps/per-sheet" xargs -0 -n 1 -a list "$BIN"
      run each $kind "$RUNS/$maps/each" xargs -0 -n "$CHUNK" -a list "$BIN" --each
      run one-sheet $kind "$RUNS/$maps/one-sheet" "$BIN" all
    done
  done
done

stage "the floor of replacing outputs ($REPEAT rounds)"
for c in floor-archive floor-one; do prepare "$RUNS/floor/$c" 5k; done
(cd "$RUNS/floor/floor-archive" && xargs -0 -n "$CHUNK" -a list "$BIN" --each > /dev/null) &&
  (cd "$RUNS/floor/floor-one" && "$BIN" all > /dev/null) ||
  { echo "FAIL  could not make the outputs that the floor replaces"; exit 1; }
for ((i = 0; i < REPEAT; i++)); do
  run floor-archive again "$RUNS/floor/floor-archive" xargs -0 -n "$CHUNK" -a list "$FLOOR"
  run floor-one again "$RUNS/floor/floor-one" "$FLOOR" all
done

# --- report --------------------------------------------------------------------
echo
echo "machine: $(lscpu | awk -F': *' '/Model name/ {print $2; exit}'), nproc $(nproc)"
# The file system measured.  ext4 without a journal is named as such: it does
# not reuse an inode freed in the last minutes, and every new file scans past
# those of its block group, so there a run's cost for making files grows with
# the files freed just before it (by this benchmark's earlier runs too).
read -r source fstype <<<"$(df -PT "$RUNS" | awk 'NR == 2 {print $1, $2}')"
if [ "$fstype" = ext4 ] && [ -d /proc/fs/jbd2 ]; then
  if compgen -G "/proc/fs/jbd2/$(basename "$source")-*" > /dev/null; then
    fstype="ext4 with a journal"
  else
    fstype="ext4 without a journal"
  fi
fi
echo "runs: $RUNS, on $fstype"
echo "archive: $sheets sheets of $EVENTS events, $lines lines in all;" \
  "mapping files 5k: $(wc -l < "$DATA/5k/station.mapping.out") + $(wc -l < "$DATA/5k/instrument.mapping.out") lines," \
  "100k: $(wc -l < "$DATA/100k/station.mapping.out") + $(wc -l < "$DATA/100k/instrument.mapping.out") lines"
printf '%-6s %-6s %-10s %4s %9s %12s %10s\n' maps run case runs "CPU s" "ms a sheet" "peak RSS"
for maps in 5k 100k; do
  for kind in new again; do
    for c in per-sheet each one-sheet; do
      read -r cpu rss <<<"$(least "$RUNS/$maps/$c/.$c.$kind")"
      printf '%-6s %-6s %-10s %4d %9.3f %12.3f %8.1f MiB\n' "$maps" "$kind" "$c" \
        "$(wc -l < "$RUNS/$maps/$c/.$c.$kind")" "$cpu" "$(calc "$cpu * 1000 / $sheets")" \
        "$(calc "$rss / 1024")"
      eval "cpu_${maps}_${kind}_${c//-/_}=$cpu"
    done
  done
done
echo
for maps in 5k 100k; do
  for kind in new again; do
    per=cpu_${maps}_${kind}_per_sheet each=cpu_${maps}_${kind}_each
    one=cpu_${maps}_${kind}_one_sheet target=TARGET_EACH_${maps^^}
    r=$(calc "${!per} / ${!each}")
    printf '%-5s %-5s per-sheet / each = %6.2f x   %s >= %s x\n' "$maps" "$kind" "$r" \
      "$(verdict "$(calc "$r >= ${!target}")")" "${!target}"
    r=$(calc "${!each} / ${!one}")
    printf '%-5s %-5s each / one-sheet = %6.2f x   %s <= %s x\n' "$maps" "$kind" "$r" \
      "$(verdict "$(calc "$r <= $TARGET_ONE_SHEET")")" "$TARGET_ONE_SHEET"
  done
done
read -r floor_archive _ <<<"$(least "$RUNS/floor/floor-archive/.floor-archive.again")"
read -r floor_one _ <<<"$(least "$RUNS/floor/floor-one/.floor-one.again")"
floor_extra=$(calc "$floor_archive - $floor_one")
printf '\nfloor: replacing the archive'"'"'s %d outputs %.3f s CPU, the one sheet'"'"'s 2 %.3f s:\n' \
  "$((2 * sheets))" "$floor_archive" "$floor_one"
if [ "$(calc "$floor_extra > 0")" = 0 ]; then
  # Writing the one sheet's large outputs can cost more than the many small
  # ones (freeing their blocks, on a file system with a journal).
  echo "       replacing many small files costs nothing more here"
else
  printf '       %.3f ms a sheet that any whole replacement costs\n' \
    "$(calc "$floor_extra * 1000 / $sheets")"
  for maps in 5k 100k; do
    each=cpu_${maps}_again_each one=cpu_${maps}_again_one_sheet
    printf '%-5s again: each adds %.3f ms a sheet to one sheet; each / (one-sheet + floor) = %.2f x\n' \
      "$maps" "$(calc "(${!each} - ${!one}) * 1000 / $sheets")" \
      "$(calc "${!each} / (${!one} + $floor_extra)")"
  done
fi

# --- output checks -------------------------------------------------------------
echo
failed=0
for maps in 5k 100k; do
  per=$RUNS/$maps/per-sheet each=$RUNS/$maps/each
  if diff -r "$per/archive" "$each/archive" > "$RUNS/$maps/.diff" &&
     cmp -s "$per/.per-sheet.stdout" "$each/.each.stdout"; then
    echo "ok    $maps: --each wrote every output and standard output as one run per sheet"
  else
    echo "FAIL  $maps: --each differs from one run per sheet (see $RUNS/$maps/.diff)"
    failed=1
  fi
done
echo "outputs in $RUNS; total time $(calc "int($EPOCHREALTIME - $started + 0.5)") s"
exit $failed
