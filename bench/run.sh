#!/usr/bin/env bash
# Benchmark of Tremvert and Tremvert-check: speed, memory, and unchanged
# output.
#
#   bash bench/run.sh
#
# Builds release binaries (-DTREMVERT_TESTS=OFF) in a build directory inside
# this clone, compiles the two helpers bench/measure.cc and bench/floor.cc
# with g++ -O2, generates the benchmark data once with bench/make_sheet.py
# (cached, keyed on the generator's hash and the sizes below), runs the cases
# below and prints a table, then the ratios and the output checks.  Every
# program runs through bench/measure, which takes its CPU time (user plus
# system) and peak resident set size from wait4(); a case's figures are the
# least CPU time and the largest peak of its runs.
#
#   utc, la, unset  Tremvert on the benchmark sheet (100,000 events, 1.73
#                   million lines, 58 MB) under TZ=UTC,
#                   TZ=America/Los_Angeles and no TZ at all.
#                   Target: >= 6,000,000 lines per second of CPU time.
#   floor           bench/floor on the same sheet: reads it with read() and
#                   writes every line, padded with blanks, with write(), as
#                   many bytes as the utc run's catalog and error log
#                   together: the least that reading lines and writing text
#                   costs on this machine.  Its runs alternate with the
#                   converter's (utc, floor, la, floor, unset, floor, check),
#                   so that both see the same machine.
#                   Target: utc's CPU time <= 3.0 x the floor's.
#   check           Tremvert-check on the benchmark sheet, TZ=UTC (status 1,
#                   the sheet having errors, is no failure).  Its speed is
#                   judged by instruction counts, below.
#   small           Tremvert on a sheet ten times smaller, TZ=UTC.
#                   Target: peak memory within 10% of utc's (flat in the
#                   sheet's size).
#   padded          Tremvert on the benchmark sheet with PAD lines that no
#                   sheet line names on top of both mapping files, TZ=UTC,
#                   once.  Must write utc's catalog and error log exactly.
#   startup         Tremvert and Tremvert-check on a sheet of 10 lines with
#                   mapping files of MAP_LINES non-matching lines (then the
#                   real ones) each, about 120 MB together, TZ=UTC: the cost
#                   of reading the mapping files.  The runs stop repeating
#                   after a round in which both took over 5 s.  Must give
#                   the output (catalog, error log, checker's report) of the
#                   same sheet with the normal mapping files.
#                   Targets: <= 1.0 s CPU each, peak memory <= 2 x the two
#                   mapping files' size.
#   memory          utc's peak memory; target <= 8 MiB.  Also read once from
#                   /usr/bin/time -v, as a cross-check of bench/measure.
#   instructions    instructions of Tremvert-check / instructions of Tremvert
#                   on the sheet INSTR_SHEET, counted with
#                   'perf stat -e instructions:u' when the machine supports
#                   it, else with valgrind --tool=callgrind (the two programs
#                   side by side; about a minute on the benchmark sheet).
#                   Target: <= 1.25.
#
# Output checks: the sha256 of utc's catalog and error log must be the
# expected ones below (checked with the default EVENTS only); la's, unset's
# and padded's catalog and error log must be utc's, byte for byte; startup's
# output must be that of the same sheet with the normal mapping files.
#
# Needs what tools/bootstrap installs (cmake, g++); installs the Debian
# packages 'python3', 'time' and, when perf cannot count instructions,
# 'valgrind' itself when missing, with apt-get, as root or through sudo.
#
# Environment:
#   TREMVERT_BENCH_BUILD  build directory, also of the helpers and of the runs'
#                         files (ignored by git)   default <clone>/build-bench
#   TREMVERT_BENCH_DIR    cache of generated data, shared by clones: one
#                         data-KEY directory per generator and sizes (about
#                         190 MB; old ones may be removed by hand)
#                                                  default /tmp/tremvert-bench
#   REPEAT                runs of each case            default 5
#   EVENTS                events of the benchmark sheet default 100000
#                         (the small sheet has a tenth)
#   PAD                   padding lines of the padded case default 10000
#   MAP_LINES             padding lines of the startup case default 5000000
#   INSTR_SHEET           sheet of the instruction counts: full (the
#                         benchmark sheet), small, or none (skipped)
#                                                  default full
#
# Exit status: 0 when every output check passes (missed targets are only
# reported), 1 when a check fails or a program fails (Tremvert ending with a
# status other than 0, Tremvert-check with one above 1), 2 for a bad setting.
set -euo pipefail

# --- expected output -----------------------------------------------------------
# sha256 of the catalog and the error log of the benchmark sheet (EVENTS=100000)
# under TZ=UTC.  Change them only with a deliberate change of the output.
EXPECTED_CATALOG_SHA256=edb6390350b5031d6ccdcd2c3378eff86b156d264fe4ee874d2395390f2f19b5
EXPECTED_ERROR_LOG_SHA256=1acb597c0757a163541c442123357e18291a5f6d779baa21469c87557ca7319d
EXPECTED_FOR_EVENTS=100000

# --- targets -------------------------------------------------------------------
TARGET_LINES_PER_S=6000000
TARGET_FLOOR_RATIO=3.0
TARGET_STARTUP_CPU_S=1.0
TARGET_STARTUP_RSS_RATIO=2.0  # x the mapping files' size
TARGET_RSS_MIB=8
TARGET_SMALL_RSS_DIFF=0.10
TARGET_INSTR_RATIO=1.25

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${TREMVERT_BENCH_BUILD:-$ROOT/build-bench}
WORK=${TREMVERT_BENCH_DIR:-/tmp/tremvert-bench}
REPEAT=${REPEAT:-5}
EVENTS=${EVENTS:-100000}
PAD=${PAD:-10000}
MAP_LINES=${MAP_LINES:-5000000}
INSTR_SHEET=${INSTR_SHEET:-full}
SMALL_EVENTS=$((EVENTS / 10))
GEN=$ROOT/bench/make_sheet.py
BIN=$BUILD/Tremvert
CHECK=$BUILD/Tremvert-check
TOOLS=$BUILD/bench-tools
MEASURE=$TOOLS/measure
FLOOR=$TOOLS/floor
RUNS=$BUILD/bench-runs
started=$EPOCHREALTIME

# stage TEXT: a progress line, with the seconds since the start.
stage() { awk -v t="$EPOCHREALTIME" -v s="$started" -v m="$*" 'BEGIN {printf "== %4.0f s  %s\n", t - s, m}'; }

for v in REPEAT EVENTS PAD MAP_LINES; do
  [[ ${!v} =~ ^[0-9]+$ ]] && [ "${!v}" -gt 0 ] ||
    { echo "$v: not a positive number: ${!v}" >&2; exit 2; }
done
case $INSTR_SHEET in
  full | small | none) ;;
  *) echo "INSTR_SHEET: full, small or none, not '$INSTR_SHEET'" >&2; exit 2 ;;
esac

# install_package PACKAGE: installs a Debian package, as root or through sudo;
# runs apt-get update first only when the plain install fails.
install_package() {
  stage "installing the Debian package '$1'"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  local apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get -y -q)
  "${apt[@]}" install "$1" >/dev/null ||
    { "${apt[@]}" update >/dev/null && "${apt[@]}" install "$1" >/dev/null; }
}

# quietly LOG COMMAND...: runs COMMAND with its output in LOG, shown on failure.
quietly() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { cat "$log"; echo "failed: $*" >&2; exit 1; }
}

# perf_counts: whether perf can count this machine's instructions.
perf_counts() {
  command -v perf >/dev/null || return 1
  local out
  out=$(perf stat -x, -e instructions:u -- true 2>&1 >/dev/null) || return 1
  [[ $(grep -m1 'instructions' <<<"$out") =~ ^[0-9]+, ]]
}

command -v python3 >/dev/null || install_package python3
[ -x /usr/bin/time ] || install_package time
counter=none
if [ "$INSTR_SHEET" != none ]; then
  if perf_counts; then
    counter=perf
  else
    command -v valgrind >/dev/null || install_package valgrind
    counter=callgrind
  fi
fi

# --- build ---------------------------------------------------------------------
stage "build: $BUILD (Release)"
mkdir -p "$BUILD" "$TOOLS"
quietly "$BUILD/bench-cmake.log" cmake -S "$ROOT" -B "$BUILD" \
  -DCMAKE_BUILD_TYPE=Release -DTREMVERT_TESTS=OFF
quietly "$BUILD/bench-cmake.log" cmake --build "$BUILD" \
  --target Tremvert Tremvert-check -j "$(nproc)"
for tool in measure floor; do
  quietly "$TOOLS/$tool.log" g++ -std=c++20 -O2 -Wall -Wextra \
    -o "$TOOLS/$tool" "$ROOT/bench/$tool.cc"
done

# --- data (cached) -------------------------------------------------------------
# Generated in a temporary directory and renamed into place, so that clones
# running at the same time never see a half-written data set.
key="$(sha256sum "$GEN" | cut -c1-16)-e$EVENTS-p$PAD-m$MAP_LINES"
DATA=$WORK/data-$key
if [ ! -f "$DATA/.complete" ]; then
  stage "generating data in $DATA"
  mkdir -p "$WORK"
  rm -rf "$DATA"
  tmp=$(mktemp -d "$WORK/.generating.XXXXXX")
  python3 "$GEN" --events "$EVENTS" "$tmp/full"
  python3 "$GEN" --events "$SMALL_EVENTS" "$tmp/small"
  python3 "$GEN" --pad "$PAD" --no-sheet "$tmp/padded"
  ln -s ../full/bench.sheet "$tmp/padded/bench.sheet"
  python3 "$GEN" --tiny "$tmp/tiny"
  python3 "$GEN" --tiny --pad "$MAP_LINES" "$tmp/startup"
  for d in full small padded tiny startup; do
    wc -l < "$tmp/$d/bench.sheet" > "$tmp/$d/.lines"
  done
  touch "$tmp/.complete"
  mv -T "$tmp" "$DATA" 2>/dev/null || rm -rf "$tmp"  # or another clone's won
else
  stage "data: $DATA (cached)"
fi

# --- runs ----------------------------------------------------------------------
# prepare CASE DATASET: a fresh directory $RUNS/CASE with links to the data
# set's sheet and mapping files.
prepare() {
  local dir=$RUNS/$1 f
  rm -rf "$dir"
  mkdir -p "$dir"
  for f in bench.sheet station.mapping.out instrument.mapping.out; do
    ln -s "$(readlink -f "$DATA/$2/$f")" "$dir/$f"
    cat "$dir/$f" > /dev/null  # into the page cache
  done
}

# run_once CASE TZ MAX_STATUS PROGRAM [ARG...]: one measured run of PROGRAM
# in $RUNS/CASE, with TZ set to TZ ('-': removed, 'keep': as it is), after
# removing the last run's outputs (no truncation inside the measure); its
# standard output goes to .stdout there.  Appends "CPU_S WALL_S RSS_KB" to
# $RUNS/CASE/.runs; a status above MAX_STATUS ends the benchmark.
run_once() {
  local name=$1 tz=$2 max=$3 dir=$RUNS/$1
  shift 3
  rm -f "$dir/bench.vrn.cnss" "$dir/bench.error.log" "$dir/floor.out"
  local result
  result=$(
    cd "$dir"
    case $tz in
      -) unset TZ ;;
      keep) ;;
      *) export TZ=$tz ;;
    esac
    "$MEASURE" -o .stdout "$@" 2>.stderr
  ) || { cat "$dir/.stderr"; echo "run $name: could not run $1"; exit 1; }
  local cpu wall rss status
  read -r cpu wall rss status <<<"$result"
  if [ "$status" -gt "$max" ]; then
    echo "run $name failed: $(basename "$1") ended with status $status"
    tail -n 5 "$dir/.stderr"
    exit 1
  fi
  echo "$cpu $wall $rss" >> "$dir/.runs"
}

# stats CASE: "RUNS MIN_CPU_S MAX_RSS_KB" of the case's runs.
stats() {
  awk 'NR == 1 || $1 < cpu {cpu = $1} $3 > rss {rss = $3}
       END {printf "%d %.6f %d\n", NR, cpu, rss}' "$RUNS/$1/.runs"
}

# last_cpu CASE: the CPU time of the case's last run.
last_cpu() { tail -n 1 "$RUNS/$1/.runs" | awk '{print $1}'; }

bytes_of() { stat -L -c %s "$@" | awk '{n += $1} END {print n}'; }

stage "runs ($REPEAT rounds)"
rm -rf "$RUNS"
prepare utc full
prepare la full
prepare unset full
prepare floor full
prepare check full
# A first run, not counted, warms the machine up and gives the floor its
# output volume.
run_once utc UTC 0 "$BIN" bench
rm "$RUNS/utc/.runs"
volume=$(bytes_of "$RUNS/utc/bench.vrn.cnss" "$RUNS/utc/bench.error.log")
for ((i = 0; i < REPEAT; i++)); do
  run_once utc UTC 0 "$BIN" bench
  run_once floor keep 0 "$FLOOR" bench.sheet floor.out "$volume"
  run_once la America/Los_Angeles 0 "$BIN" bench
  run_once floor keep 0 "$FLOOR" bench.sheet floor.out "$volume"
  run_once unset - 0 "$BIN" bench
  run_once floor keep 0 "$FLOOR" bench.sheet floor.out "$volume"
  run_once check UTC 1 "$CHECK" bench  # 1: the sheet has errors
done
floor_written=$(bytes_of "$RUNS/floor/floor.out")
rm -f "$RUNS/floor/floor.out"

prepare small small
for ((i = 0; i < REPEAT; i++)); do run_once small UTC 0 "$BIN" bench; done
prepare padded padded
run_once padded UTC 0 "$BIN" bench

stage "startup runs (mapping files of $MAP_LINES padding lines each)"
prepare tiny tiny
prepare tiny-check tiny
run_once tiny UTC 0 "$BIN" bench
run_once tiny-check UTC 1 "$CHECK" bench
prepare startup startup
prepare startup-check startup
for ((i = 0; i < REPEAT; i++)); do
  run_once startup UTC 0 "$BIN" bench
  run_once startup-check UTC 1 "$CHECK" bench
  awk -v a="$(last_cpu startup)" -v b="$(last_cpu startup-check)" \
    'BEGIN {exit !(a > 5 && b > 5)}' && break
done
map_bytes=$(bytes_of "$DATA/startup/station.mapping.out" \
  "$DATA/startup/instrument.mapping.out")

# The peak memory of utc once more, as /usr/bin/time -v reads it.
(cd "$RUNS/utc" && TZ=UTC /usr/bin/time -v -o .time "$BIN" bench > /dev/null)
time_rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$RUNS/utc/.time")

# count_instructions DIR MAX_STATUS PROGRAM: counts PROGRAM's instructions on
# the sheet of DIR, TZ=UTC, into DIR/.instructions; a status above MAX_STATUS
# is a failure.
count_instructions() {
  local dir=$1 max=$2 prog=$3
  (
    cd "$dir"
    export TZ=UTC
    rc=0
    if [ "$counter" = perf ]; then
      perf stat -x, -e instructions:u -o .perf -- "$prog" bench > .stdout 2>.stderr || rc=$?
      n=$(awk -F, '/instructions/ {print $1; exit}' .perf 2>/dev/null) || true
    else
      valgrind --tool=callgrind --callgrind-out-file=.callgrind \
        "$prog" bench > .stdout 2>.stderr || rc=$?
      n=$(awk '/^summary:/ {print $2; exit}' .callgrind 2>/dev/null) || true
    fi
    if [ "$rc" -gt "$max" ] || ! [[ $n =~ ^[0-9]+$ ]]; then
      tail -n 5 .stderr
      exit 1
    fi
    echo "$n" > .instructions
    rm -f bench.vrn.cnss bench.error.log .callgrind
  )
}

if [ "$counter" != none ]; then
  stage "counting instructions with $counter on the $INSTR_SHEET sheet"
  prepare instr-conv "$INSTR_SHEET"
  prepare instr-check "$INSTR_SHEET"
  count_instructions "$RUNS/instr-conv" 0 "$BIN" & conv_job=$!
  count_instructions "$RUNS/instr-check" 1 "$CHECK" & check_job=$!
  conv_rc=0 check_rc=0
  wait "$conv_job" || conv_rc=$?
  wait "$check_job" || check_rc=$?
  [ "$conv_rc" -eq 0 ] || { echo "instruction count of Tremvert failed"; exit 1; }
  [ "$check_rc" -eq 0 ] || { echo "instruction count of Tremvert-check failed"; exit 1; }
fi

# --- report --------------------------------------------------------------------
# verdict OK: "ok  " or "MISS" for a target.
verdict() { [ "$1" = 1 ] && echo "ok  " || echo "MISS"; }
# calc EXPRESSION: an awk expression's value.
calc() { awk "BEGIN {print ($1)}"; }
# group N: N rounded, with thousands separators.
group() {
  awk -v n="$1" 'BEGIN {s = sprintf("%.0f", n); r = ""
    while (length(s) > 3) {r = "," substr(s, length(s) - 2) r; s = substr(s, 1, length(s) - 3)}
    print s r}'
}
mib() { awk -v k="$1" 'BEGIN {printf "%.1f MiB", k / 1024}'; }
lines_of() { cat "$DATA/$1/.lines"; }

read -r _ utc_cpu utc_rss <<<"$(stats utc)"
read -r _ floor_cpu _ <<<"$(stats floor)"
host_zone=$(readlink /etc/localtime 2>/dev/null | sed 's|.*/zoneinfo/||')

echo
echo "machine: $(lscpu | awk -F': *' '/Model name/ {print $2; exit}'), nproc $(nproc);" \
  "$(. /etc/os-release 2>/dev/null && echo "${PRETTY_NAME:-?}"), $(uname -r)," \
  "g++ $(g++ -dumpfullversion), $(ldd --version 2>&1 | head -n 1 | awk '{print "glibc " $NF}')"
printf '%-13s %-14s %-24s %9s %4s %9s %11s %10s  %s\n' \
  case program TZ lines runs "CPU s" lines/s "peak RSS" target
# row CASE DATASET PROGRAM TZ-LABEL TARGET-TEXT
row() {
  local runs cpu rss lines rate=-
  read -r runs cpu rss <<<"$(stats "$1")"
  lines=$(lines_of "$2")
  [ "$lines" -lt 1000 ] || rate=$(group "$(calc "$lines / ($cpu + 1e-9)")")
  printf '%-13s %-14s %-24s %9s %4d %9.3f %11s %10s  %s\n' "$1" "$3" "$4" \
    "$(group "$lines")" "$runs" "$cpu" "$rate" "$(mib "$rss")" "$5"
}
rate_target() {
  local lines cpu
  lines=$(lines_of full)
  read -r _ cpu _ <<<"$(stats "$1")"
  echo "$(verdict "$(calc "$lines / $cpu >= $TARGET_LINES_PER_S")")" \
    ">= $(group "$TARGET_LINES_PER_S") lines/s"
}
row utc full Tremvert UTC "$(rate_target utc)"
row la full Tremvert America/Los_Angeles "$(rate_target la)"
row unset full Tremvert "(unset; host $host_zone)" "$(rate_target unset)"
row floor full floor - "$(mib "$((floor_written / 1024))") written, as utc"
row check full Tremvert-check UTC "(instructions below)"
read -r _ _ small_rss <<<"$(stats small)"
small_diff=$(calc "($small_rss - $utc_rss) / $utc_rss")
row small small Tremvert UTC "$(verdict "$(calc "$small_diff <= $TARGET_SMALL_RSS_DIFF && -($small_diff) <= $TARGET_SMALL_RSS_DIFF")") peak RSS within $(calc "$TARGET_SMALL_RSS_DIFF * 100")% of utc's ($(awk -v d="$small_diff" 'BEGIN {printf "%+.1f", d * 100}')%)"
row padded padded Tremvert "UTC, +$(group "$PAD") map lines" "(output compared below)"
startup_target() {
  local cpu rss
  read -r _ cpu rss <<<"$(stats "$1")"
  echo "$(verdict "$(calc "$cpu <= $TARGET_STARTUP_CPU_S")") <= $TARGET_STARTUP_CPU_S s CPU;" \
    "$(verdict "$(calc "$rss * 1024 <= $TARGET_STARTUP_RSS_RATIO * $map_bytes")")" \
    "peak <= $TARGET_STARTUP_RSS_RATIO x mapping files"
}
row startup startup Tremvert UTC "$(startup_target startup)"
row startup-check startup Tremvert-check UTC "$(startup_target startup-check)"

echo
ratio=$(calc "$utc_cpu / $floor_cpu")
printf 'floor ratio:  Tremvert (utc) %.3f s / floor %.3f s CPU = %.2f x   %s <= %s x floor\n' \
  "$utc_cpu" "$floor_cpu" "$ratio" \
  "$(verdict "$(calc "$ratio <= $TARGET_FLOOR_RATIO")")" "$TARGET_FLOOR_RATIO"
printf 'memory:       Tremvert (utc) peak RSS %s (/usr/bin/time -v: %s), small sheet %s   %s <= %s MiB\n' \
  "$(mib "$utc_rss")" "$(mib "$time_rss")" "$(mib "$small_rss")" \
  "$(verdict "$(calc "$utc_rss <= $TARGET_RSS_MIB * 1024")")" "$TARGET_RSS_MIB"
printf 'startup:      mapping files of %s + %s lines, %.1f MiB together (peak target %.1f MiB)\n' \
  "$(group "$(wc -l < "$DATA/startup/station.mapping.out")")" \
  "$(group "$(wc -l < "$DATA/startup/instrument.mapping.out")")" \
  "$(calc "$map_bytes / 1048576")" \
  "$(calc "$TARGET_STARTUP_RSS_RATIO * $map_bytes / 1048576")"
if [ "$counter" != none ]; then
  instr_lines=$(lines_of "$INSTR_SHEET")
  conv_n=$(cat "$RUNS/instr-conv/.instructions")
  check_n=$(cat "$RUNS/instr-check/.instructions")
  iratio=$(calc "$check_n / $conv_n")
  printf 'instructions: (%s, %s sheet, %s lines) Tremvert %s (%s/line), Tremvert-check %s (%s/line)\n' \
    "$counter" "$INSTR_SHEET" "$(group "$instr_lines")" \
    "$(group "$conv_n")" "$(group "$(calc "$conv_n / $instr_lines")")" \
    "$(group "$check_n")" "$(group "$(calc "$check_n / $instr_lines")")"
  printf 'check ratio:  Tremvert-check / Tremvert instructions = %.3f   %s <= %s\n' \
    "$iratio" "$(verdict "$(calc "$iratio <= $TARGET_INSTR_RATIO")")" \
    "$TARGET_INSTR_RATIO"
else
  echo "instructions: not counted (INSTR_SHEET=none)"
fi
echo "check summary: $(tail -n 1 "$RUNS/check/.stdout")"

# --- output checks -------------------------------------------------------------
echo
failed=0
# check_line OK TEXT: prints a check's verdict; counts a failure.
check_line() {
  if [ "$1" = 1 ]; then
    echo "ok    $2"
  else
    echo "FAIL  $2"
    failed=$((failed + 1))
  fi
}
# same_output DIR-A DIR-B: whether both runs wrote the same catalog and error log.
same_output() {
  cmp -s "$1/bench.vrn.cnss" "$2/bench.vrn.cnss" &&
    cmp -s "$1/bench.error.log" "$2/bench.error.log"
}
sha_of() { sha256sum "$RUNS/utc/$1" | cut -d' ' -f1; }
catalog_sha=$(sha_of bench.vrn.cnss)
log_sha=$(sha_of bench.error.log)
echo "sha256 of the utc run:"
echo "  $catalog_sha  bench.vrn.cnss  ($(group "$(wc -l < "$RUNS/utc/bench.vrn.cnss")") lines)"
echo "  $log_sha  bench.error.log  ($(group "$(wc -l < "$RUNS/utc/bench.error.log")") lines)"
if [ "$EVENTS" -eq "$EXPECTED_FOR_EVENTS" ]; then
  ok=0; [ "$catalog_sha" = "$EXPECTED_CATALOG_SHA256" ] && ok=1
  check_line $ok "utc catalog has the expected sha256 ($EXPECTED_CATALOG_SHA256)"
  ok=0; [ "$log_sha" = "$EXPECTED_ERROR_LOG_SHA256" ] && ok=1
  check_line $ok "utc error log has the expected sha256 ($EXPECTED_ERROR_LOG_SHA256)"
else
  echo "--    expected sha256 not checked: EVENTS=$EVENTS, not $EXPECTED_FOR_EVENTS"
fi
for c in la unset padded; do
  ok=0; same_output "$RUNS/utc" "$RUNS/$c" && ok=1
  check_line $ok "$c: same catalog and error log as utc"
  # Keep a differing output for inspection, drop an identical one.
  [ $ok = 0 ] || rm -f "$RUNS/$c/bench.vrn.cnss" "$RUNS/$c/bench.error.log"
done
ok=0
same_output "$RUNS/tiny" "$RUNS/startup" &&
  cmp -s "$RUNS/tiny-check/.stdout" "$RUNS/startup-check/.stdout" && ok=1
check_line $ok "startup: same catalog, error log and checker report as with the normal mapping files"

echo
echo "outputs in $RUNS; total time $(calc "int($EPOCHREALTIME - $started + 0.5)") s"
if [ "$failed" -gt 0 ]; then
  echo "$failed output check(s) FAILED"
  exit 1
fi
echo "all output checks passed"
