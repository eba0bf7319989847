#!/usr/bin/env bash
# fuzz/run_fuzz.sh [SECONDS]: builds fuzz/build/conversion_fuzzer (libFuzzer,
# AddressSanitizer, UndefinedBehaviorSanitizer) and fuzzes it for SECONDS
# (default 60), seeded with the end-to-end sheets and fuzz/build/corpus, which
# grows.  Exits non-zero on any finding and names its reproducer (kept in
# fuzz/build/artifacts/); replay one with: fuzz/build/conversion_fuzzer FILE
set -eu
fuzz=$(cd "$(dirname "$0")" && pwd) seconds=${1:-60}
root=$(dirname "$fuzz") build=$fuzz/build bin=$fuzz/build/conversion_fuzzer
case $seconds in '' | *[!0-9]*) echo "usage: $0 [SECONDS]" >&2 && exit 2 ;; esac
mkdir -p "$build/corpus" "$build/artifacts" "$build/tmp"
echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, long) { return 0; }' >"$build/probe.cc"
if ! clang++ -fsanitize=fuzzer "$build/probe.cc" -o "$build/probe" 2>/dev/null; then
  sudo=$([ "$(id -u)" = 0 ] || echo sudo) && $sudo apt-get update -qq
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq clang libclang-rt-14-dev
fi
mapfile -t sources < <(find "$root/src" -name '*.cc' ! -name '*main.cc' -exec grep -L '^int main(' {} +)
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -DTREMVERT_VERSION='"fuzz"' -I "$root/src" "${sources[@]}" "$fuzz/conversion_fuzzer.cc" -o "$bin"
rm -rf "$build/seeds" && mkdir "$build/seeds"
for s in "$root"/tests/e2e/cases/*/in/*.sheet; do cp "$s" "$build/seeds/$(basename "${s%/in/*}")-${s##*/}"; done
dict=() && [ -f "$fuzz/tremvert.dict" ] && dict=(-dict="$fuzz/tremvert.dict")
echo "run_fuzz: fuzzing for ${seconds}s, log in $build/fuzz.log" && status=0
TMPDIR=$build/tmp "$bin" -max_total_time="$seconds" -max_len=100000 -timeout=10 \
  -rss_limit_mb=2048 -artifact_prefix="$build/artifacts/" -print_final_stats=1 "${dict[@]}" \
  "$build/corpus" "$build/seeds" >"$build/fuzz.log" 2>&1 || status=$?
grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' "$build/fuzz.log" | tail -n 3
[ $status = 0 ] && echo "run_fuzz: no finding" && exit 0
grep -m1 -A30 -E 'check failed|ERROR:|runtime error' "$build/fuzz.log" || tail -n 30 "$build/fuzz.log"
grep -h 'Test unit written to' "$build/fuzz.log" || echo "run_fuzz: no reproducer written"
echo "run_fuzz: FINDING (libFuzzer status $status); replay with: $bin FILE" && exit 1
