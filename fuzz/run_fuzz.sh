#!/usr/bin/env bash
# Builds a fuzz target with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer), makes its seed corpus and fuzzes for SECONDS
# (default 60).  Exits non-zero on any finding: crash, failed check, leak,
# timeout, out-of-memory or sanitizer report.  The reproducer is left in
# fuzz/build/artifacts/.
#
#   fuzz/run_fuzz.sh [SECONDS] [extra libFuzzer flags...]
#
# FUZZ_TARGET picks the target: conversion_fuzzer (default; whole runs on a
# sheet and its mapping files) or numbers_fuzzer (number reading, number
# formatting and time normalisation against the C library).
#
# Everything it makes lives in fuzz/build/ (FUZZ_BUILD_DIR overrides): the
# fuzzer, the seeds, the growing corpus, the artifacts and the full log.
# To reproduce a finding:  fuzz/build/conversion_fuzzer FILE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
seconds=${1:-60}
shift || true
case $seconds in ''|*[!0-9]*) echo "run_fuzz: SECONDS must be a whole number" >&2; exit 2 ;; esac

target=${FUZZ_TARGET:-conversion_fuzzer}
case $target in
  conversion_fuzzer) corpus_name=corpus; seed_name=seeds; seed_flag="" ;;
  numbers_fuzzer) corpus_name=corpus-numbers; seed_name=seeds-numbers; seed_flag=--numbers ;;
  *) echo "run_fuzz: FUZZ_TARGET must be conversion_fuzzer or numbers_fuzzer" >&2; exit 2 ;;
esac

build=${FUZZ_BUILD_DIR:-$here/build}
mkdir -p "$build"
build=$(cd "$build" && pwd)

# The compiler and libFuzzer (Debian packages clang and libclang-rt-14-dev).
cxx=${CXX_FUZZ:-clang++}
have_fuzzer_runtime() {
  command -v "$cxx" >/dev/null 2>&1 || return 1
  local probe=$build/.probe
  printf 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }\n' > "$probe.cc"
  "$cxx" -fsanitize=fuzzer,address,undefined "$probe.cc" -o "$probe" >/dev/null 2>&1
  local rc=$?
  rm -f "$probe" "$probe.cc"
  return $rc
}
if ! have_fuzzer_runtime; then
  echo "run_fuzz: installing clang and libclang-rt-14-dev"
  SUDO=""
  [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
  have_fuzzer_runtime || { echo "run_fuzz: $cxx cannot build a libFuzzer target" >&2; exit 2; }
fi
# The daylight-saving zone of the fuzzer; without tzdata it falls back to the
# same rules spelled as a POSIX TZ string, so this is only a nicety.
if [ ! -f /usr/share/zoneinfo/America/Los_Angeles ] && [ "$(id -u)" = 0 ]; then
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq tzdata >/dev/null 2>&1 || true
fi

# Build (again only when a source is newer than the fuzzer).
sources=()
for f in "$root"/src/driver/*.cc "$root"/src/records/*.cc "$root"/src/reference/*.cc "$root"/src/text/*.cc; do
  [ "$(basename "$f")" = main.cc ] && continue
  sources+=("$f")
done
fuzzer=$build/$target
rebuild=0
[ -x "$fuzzer" ] || rebuild=1
if [ $rebuild = 0 ]; then
  for f in "${sources[@]}" "$here/$target.cc" "$root"/src/*/*.h "$0"; do
    [ "$f" -nt "$fuzzer" ] && { rebuild=1; break; }
  done
fi
if [ $rebuild = 1 ]; then
  echo "run_fuzz: building $fuzzer"
  "$cxx" -std=c++20 -g -O1 -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -D_GLIBCXX_ASSERTIONS -I"$root/src" \
    "${sources[@]}" "$here/$target.cc" -o "$fuzzer.tmp"
  mv "$fuzzer.tmp" "$fuzzer"
fi

# Corpus: fresh seeds every time, plus the corpus grown by earlier runs.
bash "$here/make_corpus.sh" $seed_flag "$build/$seed_name" >/dev/null
mkdir -p "$build/$corpus_name" "$build/artifacts" "$build/tmp"
# Work directories left by a fuzzer that crashed; a running one keeps its own
# directory fresh.
find "$build/tmp" -maxdepth 1 -name 'tremvert-fuzz.*' -mmin +60 -exec rm -rf {} + 2>/dev/null || true
before=$(ls "$build/artifacts" | wc -l)

log=$build/fuzz.log
[ "$target" = conversion_fuzzer ] || log=$build/fuzz-$target.log
echo "run_fuzz: fuzzing for ${seconds}s (log: $log)"
set +e
TMPDIR=$build/tmp \
ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:strict_string_checks=1:check_initialization_order=1} \
UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
  "$fuzzer" \
  -max_total_time="$seconds" -max_len=100000 -timeout=10 -rss_limit_mb=2048 \
  -dict="$here/tremvert.dict" -artifact_prefix="$build/artifacts/" \
  -print_final_stats=1 -close_fd_mask=1 "$@" \
  "$build/$corpus_name" "$build/$seed_name" > "$log" 2>&1
rc=$?
set -e

after=$(ls "$build/artifacts" | wc -l)
if [ $rc = 72 ] && [ "$after" = "$before" ]; then
  echo "run_fuzz: interrupted"
  exit 1
fi
grep -E '^(stat::number_of_executed_units|stat::average_exec_per_sec|stat::new_units_added|stat::peak_rss_mb)' "$log" || true
grep -E '^#[0-9]+.*DONE' "$log" | tail -n 1 || true
if [ $rc != 0 ] || [ "$after" != "$before" ] ||
   grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:|conversion check failed' "$log"; then
  echo "run_fuzz: FINDING (libFuzzer exit status $rc); report:"
  first=$(grep -n -m1 -E 'ERROR: |runtime error:|conversion check failed|ALARM|error in line' "$log" | cut -d: -f1)
  if [ -n "$first" ]; then
    sed -n "$((first > 5 ? first - 5 : 1)),$((first + 60))p" "$log"
  else
    tail -n 40 "$log"
  fi
  echo "run_fuzz: artifacts:"; ls -1 "$build/artifacts"
  exit 1
fi
echo "run_fuzz: no finding"
