#!/usr/bin/env bash
# tools/coverage.sh: builds the project with --coverage in build-coverage/,
# runs the whole test suite, and prints the share of the lines of src/ that
# the tests run (a line counts as run when any translation unit runs it),
# then each line that none runs.  Needs gcov (part of g++) and python3.
# Four end-to-end cases cannot write the coverage data, and fail in this
# build only: three run the program as another user (setpriv), who may not
# write the build's files,
#   mapping_files_read_only
#   outputs_copied_in_place_when_no_new_file_fits
#   sticky_folder_keeps_both_outputs
# and one runs it under a file size limit of one block (ulimit -f 1), which
# the coverage files exceed:
#   check_standard_output_fails
# The other limited cases (write_fails_mid_run, ulimit -f 100, and
# outputs_kept_at_the_descriptor_limit, ulimit -n) leave room enough.
set -eu
cd "$(dirname "$0")/.."
root=$PWD build=$PWD/build-coverage
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="--coverage -O0" > /dev/null
find "$build" -name '*.gcda' -delete
cmake --build "$build" -j2 > /dev/null
ctest --test-dir "$build" -j2 > "$build/ctest.log" 2>&1 ||
  { echo "failed tests (see $build/ctest.log):"; grep -E '\*\*\*' "$build/ctest.log" || true; }
rm -rf "$build/gcov" && mkdir "$build/gcov"
i=0
while IFS= read -r data; do
  i=$((i + 1)) && mkdir "$build/gcov/$i"
  (cd "$build/gcov/$i" && gcov -p "$data" > /dev/null 2>&1 || true)
done < <(find "$build" -name '*.gcda')
python3 - "$build/gcov" "$root/src/" <<'PY'
import glob, re, sys
run = {}
for name in glob.glob(sys.argv[1] + '/*/*.gcov'):
    source = None
    for line in open(name, errors='replace'):
        parts = line.split(':', 2)
        if source is None:
            m = re.match(r'\s*-:\s*0:Source:(.*)', line)
            if m: source = m.group(1)
            continue
        if len(parts) < 3 or not source.startswith(sys.argv[2]): continue
        count, number = parts[0].strip(), int(parts[1])
        if number == 0 or count == '-': continue
        lines = run.setdefault(source, {})
        lines[number] = lines.get(number, False) or count not in ('#####', '=====')
total = sum(len(v) for v in run.values())
hit = sum(sum(v.values()) for v in run.values())
print(f'lines of src/ run by the tests: {hit}/{total} = {100 * hit / total:.1f}%')
for source in sorted(run):
    text = open(source).read().split('\n')
    for number, was_run in sorted(run[source].items()):
        if not was_run:
            print(f'{source[len(sys.argv[2]):]}:{number}: {text[number - 1].strip()}')
PY
