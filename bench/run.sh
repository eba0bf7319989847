#!/usr/bin/env bash
# Throughput and memory benchmark of Tremvert and Tremvert-check.
#
#   bench/run.sh
#
# Builds release binaries in a build directory of its own, generates the
# benchmark data once (bench/make_sheet.py; cached, regenerated only when the
# generator changes), then runs the six cases below and prints, for each,
# sheet lines per second, MB per second and peak resident memory, with the
# targets beside them:
#
#   utc      100,000 events, TZ=UTC                      >= 1,000,000 lines/s
#   la       the same, TZ=America/Los_Angeles            >= half the utc rate
#   unset    the same, TZ removed from the environment   >= half the utc rate
#   padded   the same, TZ=UTC, 10,000 non-matching lines at the top of both
#            mapping files                               <= 10% slower than utc
#   small    10,000 events, TZ=UTC                       peak RSS within 10% of utc
#   check    Tremvert-check on the utc data, TZ=UTC      <= 2.0 x utc time
#
# It also checks that the padded run writes byte for byte the catalog and
# error log of the utc run, prints the sha256 of both files of the utc run,
# so that an optimisation can be checked for unchanged output, and prints the
# checker's summary line.
#
# Needs what tools/bootstrap installs, and installs the Debian packages
# 'time' (/usr/bin/time) and 'python3' (for the data) itself when missing,
# with apt-get, as root or through sudo.
#
# Environment:
#   TREMVERT_BENCH_DIR    work directory (data, runs)   default /tmp/tremvert-bench
#   TREMVERT_BENCH_BUILD  build directory                default $TREMVERT_BENCH_DIR/build
#   REPEAT                runs of each case; the fastest wall time and the
#                         largest peak RSS are reported  default 5
#   EVENTS                events of the full sheet       default 100000
#   PAD                   padding lines of the padded run default 10000
#
# Exit status: 0 when the output checks pass (missed speed targets are only
# reported), 1 when a run fails (the checker may end with 0 or 1, the
# benchmark sheet having errors) or the padded output differs.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
WORK=${TREMVERT_BENCH_DIR:-/tmp/tremvert-bench}
BUILD=${TREMVERT_BENCH_BUILD:-$WORK/build}
REPEAT=${REPEAT:-5}
EVENTS=${EVENTS:-100000}
PAD=${PAD:-10000}
SMALL_EVENTS=$((EVENTS / 10))
GEN=$ROOT/bench/make_sheet.py
BIN=$BUILD/Tremvert
CHECK=$BUILD/Tremvert-check

# install_package PACKAGE: installs a Debian package, as root or through sudo;
# runs apt-get update first only when the plain install fails.
install_package() {
  echo "== installing the Debian package '$1'"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  local apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q)
  "${apt[@]}" install "$1" >/dev/null ||
    { "${apt[@]}" update >/dev/null && "${apt[@]}" install "$1" >/dev/null; }
}
[ -x /usr/bin/time ] || install_package time

# --- build -------------------------------------------------------------------
echo "== build: $BUILD (Release)"
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
  -DTREMVERT_TESTS=OFF >/dev/null
cmake --build "$BUILD" --target Tremvert Tremvert-check -j "$(nproc)" >/dev/null

# --- data (cached) -----------------------------------------------------------
DATA=$WORK/data
key="$(sha256sum "$GEN" | cut -c1-16)-$EVENTS-$PAD"
if [ "$(cat "$DATA/.key" 2>/dev/null)" != "$key" ]; then
  echo "== generating data in $DATA"
  command -v python3 >/dev/null || install_package python3
  rm -rf "$DATA"
  mkdir -p "$DATA"
  python3 "$GEN" --events "$EVENTS" "$DATA/full"
  python3 "$GEN" --events "$SMALL_EVENTS" "$DATA/small"
  python3 "$GEN" --pad "$PAD" --no-sheet "$DATA/padded"
  ln -s ../full/bench.sheet "$DATA/padded/bench.sheet"
  for d in full small; do
    wc -l < "$DATA/$d/bench.sheet" > "$DATA/$d/.lines"
  done
  cp "$DATA/full/.lines" "$DATA/padded/.lines"
  echo "$key" > "$DATA/.key"
else
  echo "== data: $DATA (cached)"
fi

# --- runs --------------------------------------------------------------------
RUNS=$WORK/runs
mkdir -p "$RUNS"

# run NAME DATASET TZ-SETTING [PROGRAM [MAX-STATUS]]: runs PROGRAM (default
# Tremvert) on DATASET in a directory of its own, REPEAT times, its standard
# output going to .stdout there; an exit status above MAX-STATUS (default 0)
# is a failure.  Leaves "wall_s rss_kb" in $RUNS/NAME/.result.
run_case() {
  local name=$1 set=$2 tz=$3 prog=${4:-$BIN} max_status=${5:-0} dir=$RUNS/$1
  rm -rf "$dir"
  mkdir -p "$dir"
  for f in bench.sheet station.mapping.out instrument.mapping.out; do
    ln -s "$(readlink -f "$DATA/$set/$f")" "$dir/$f"
  done
  cat "$dir/bench.sheet" > /dev/null  # page cache
  local best="" rss=0 i wall kb
  for ((i = 0; i < REPEAT; i++)); do
    local envset=(env TZ="$tz")
    [ "$tz" = "-" ] && envset=(env -u TZ)
    # Wall time from the shell's microsecond clock (/usr/bin/time rounds to
    # 10 ms); peak RSS from /usr/bin/time -v.
    rm -f "$dir/bench.vrn.cnss" "$dir/bench.error.log"  # no truncation in the timing
    local t0=$EPOCHREALTIME rc=0
    (cd "$dir" && /usr/bin/time -v -o .time "${envset[@]}" "$prog" bench > .stdout) ||
      rc=$?
    local t1=$EPOCHREALTIME
    if [ "$rc" -gt "$max_status" ]; then
      echo "run $name failed (status $rc)"; cat "$dir/.time"; exit 1
    fi
    wall=$(awk -v a="$t0" -v b="$t1" 'BEGIN{printf "%.4f", b - a}')
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$dir/.time")
    if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN{exit !(a < b)}'; then
      best=$wall
    fi
    [ "$kb" -gt "$rss" ] && rss=$kb
  done
  echo "$best $rss" > "$dir/.result"
}

echo "== runs ($REPEAT each, fastest wall time, largest peak RSS)"
run_case utc full UTC
run_case la full America/Los_Angeles
run_case unset full -
run_case padded padded UTC
run_case small small UTC
run_case check full UTC "$CHECK" 1  # 1: the sheet has errors

# --- report ------------------------------------------------------------------
field() { awk -v k="$2" '{print $k}' "$RUNS/$1/.result"; }
lines_of() { cat "$DATA/$1/.lines"; }
mb_of() { stat -L -c %s "$DATA/$1/bench.sheet" | awk '{printf "%.1f", $1 / 1e6}'; }

utc_wall=$(field utc 1)
utc_rate=$(awk -v l="$(lines_of full)" -v w="$utc_wall" 'BEGIN{print l / w}')
utc_rss=$(field utc 2)
# within_utc_time WALL LIMIT: the verdict of WALL against LIMIT x utc's time.
within_utc_time() {
  awk -v w="$1" -v l="$2" -v u="$utc_wall" 'BEGIN{
    printf "%s  <= %s x utc time (%.2f x)", (w <= u * l ? "ok  " : "MISS"), l,
      w / u}'
}

echo
echo "machine: $(nproc) CPU, $(lscpu | awk -F': *' '/Model name/ {print $2; exit}')"
printf '%-7s %-22s %9s %7s %8s %12s %8s %9s  %s\n' \
  run TZ lines MB wall_s lines/s MB/s peak_RSS target
report() {
  local name=$1 set=$2 tzlabel=$3
  local wall rss lines mb rate mbs verdict
  wall=$(field "$name" 1)
  rss=$(field "$name" 2)
  lines=$(lines_of "$set")
  mb=$(mb_of "$set")
  rate=$(awk -v l="$lines" -v w="$wall" 'BEGIN{printf "%.0f", l / w}')
  mbs=$(awk -v m="$mb" -v w="$wall" 'BEGIN{printf "%.1f", m / w}')
  case $name in
    utc) verdict=$(awk -v r="$rate" 'BEGIN{
           print (r >= 1000000 ? "ok  " : "MISS") "  >= 1,000,000 lines/s"}') ;;
    la | unset) verdict=$(awk -v r="$rate" -v u="$utc_rate" 'BEGIN{
           printf "%s  >= 0.5 x utc (%.2f x)", (r >= u / 2 ? "ok  " : "MISS"), r / u}') ;;
    padded) verdict=$(within_utc_time "$wall" 1.10) ;;
    check) verdict=$(within_utc_time "$wall" 2.0) ;;
    small) verdict=$(awk -v k="$rss" -v u="$utc_rss" 'BEGIN{
           d = (k - u) / u; if (d < 0) d = -d
           printf "%s  RSS within 10%% of utc (%+.1f%%)", (d <= 0.10 ? "ok  " : "MISS"), (k - u) * 100 / u}') ;;
  esac
  printf '%-7s %-22s %9d %7.1f %8.3f %12s %8s %7.1fMB  %s\n' \
    "$name" "$tzlabel" "$lines" "$mb" "$wall" "$rate" "$mbs" \
    "$(awk -v k="$rss" 'BEGIN{print k / 1024}')" "$verdict"
}
report utc full UTC
report la full America/Los_Angeles
report unset full "(unset)"
report padded padded "UTC, +$PAD map lines"
report small small UTC
report check full UTC

echo
status=0
if cmp -s "$RUNS/utc/bench.vrn.cnss" "$RUNS/padded/bench.vrn.cnss" &&
   cmp -s "$RUNS/utc/bench.error.log" "$RUNS/padded/bench.error.log"; then
  echo "padded vs utc: catalog and error log identical"
else
  echo "padded vs utc: OUTPUT DIFFERS"
  status=1
fi
if cmp -s "$RUNS/utc/bench.vrn.cnss" "$RUNS/unset/bench.vrn.cnss"; then
  echo "unset vs utc: same catalog (host zone: $(readlink /etc/localtime 2>/dev/null || echo '?'))"
else
  echo "unset vs utc: catalogs differ (host zone: $(readlink /etc/localtime 2>/dev/null || echo '?'))"
fi
echo "check summary: $(tail -n 1 "$RUNS/check/.stdout")"
echo "sha256 of the utc run (check that an optimisation leaves them unchanged):"
(cd "$RUNS/utc" && sha256sum bench.vrn.cnss bench.error.log |
  awk '{printf "  %s  %s\n", $1, $2}')
(cd "$RUNS/utc" && printf '  %s catalog lines, %s error-log lines\n' \
  "$(wc -l < bench.vrn.cnss)" "$(wc -l < bench.error.log)")
exit $status
