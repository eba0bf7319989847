#!/usr/bin/env bash
# Builds the seed corpus of conversion_fuzzer in OUT_DIR (default
# fuzz/build/seeds): the example sheet, every end-to-end case, and a few
# hand-made sheets that use every record letter in both layouts.
#
# Seed layout (see conversion_fuzzer.cc): one options byte, the sheet, the
# separator 0xFF 0xFF, the station mapping file, the separator, the
# instrument mapping file.
#
# With --numbers first, it builds the seeds of numbers_fuzzer instead (default
# OUT_DIR fuzz/build/seeds-numbers): number texts at the edges of the double
# range, and a few values to format.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")

if [ "${1:-}" = --numbers ]; then
  out=${2:-$here/build/seeds-numbers}
  mkdir -p "$out"
  rm -f "$out"/seed-*
  n=0
  z322=$(printf '%0322d' 0)
  for text in 1.5 -0 +0 .5 -.5 5. +5. + - . ..5 +-5 1e 1e+ 0x 0x1p-149 nan -nan inf \
      infinity 'NAN(123)' 1e-5 1e39 -1e39 99999999999 2147483648 -2147483649 \
      1.00000000000000011102230246251565404236316680908203125 \
      1.000000000000000111022302462515654042363166809082031250000001 \
      9007199254740993 "1$(printf '%0308d' 0)" "1$(printf '%0309d' 0)" \
      "0.${z322}247032822920623272088" "0.${z322}0247032822920623272088" \
      "0.${z322}01" "0.${z322}1" \
      "17976931348623158079372897140530341507993413271003782693617377898044496829276475094664901797758720709633028641669288791094655554785194040263065748867150582068190890200070838367627385484581771153176447573027006985557136688203169205964948801122$(printf '%0063d' 0)4"; do
    printf '\000%s' "$text" > "$out/seed-read-$n"
    n=$((n + 1))
  done
  # Values to format: float 9.99995, 0.125, 2.5, -0, 1e9, 1.115 with a few
  # width/precision/sign bytes; ints 0, -1, 1912, INT_MIN with widths.
  for bits in '\247\377\037\101' '\000\000\000\076' '\000\000\040\100' '\000\000\000\200' \
      '\050\153\156\116' '\205\353\216\077'; do
    for f in '\000' '\041' '\102' '\143' '\204' '\245'; do
      printf "\\002$bits$f" > "$out/seed-float-$n"; n=$((n + 1))
    done
    printf "\\004$bits" > "$out/seed-seconds-$n"; n=$((n + 1))
  done
  for v in '\000\000\000\000' '\377\377\377\377' '\170\007\000\000' '\000\000\000\200'; do
    for f in '\002' '\202' '\004' '\000'; do
      printf "\\003$v$f" > "$out/seed-int-$n"; n=$((n + 1))
    done
  done
  # Dates and times: UTC and Los Angeles.
  for zone in '\000' '\001'; do
    printf "\\005$zone\\000\\175\\007\\001\\030\\000\\000\\000\\000\\175\\014\\037\\027\\073\\154\\027\\001\\175\\015\\001\\000\\000\\000\\000" \
      > "$out/seed-time-$n"
    n=$((n + 1))
  done
  echo "make_corpus: $n seeds in $out"
  exit 0
fi

out=${1:-$here/build/seeds}
mkdir -p "$out"
rm -f "$out"/seed-*

# seed NAME OPTIONS_OCTAL SHEET_FILE STATION_FILE INSTRUMENT_FILE
# (a file argument of "" stands for an empty file)
seed() {
  local name=$1 options=$2 sheet=$3 station=$4 instrument=$5
  {
    printf "\\$options"
    if [ -n "$sheet" ]; then cat "$sheet"; fi
    printf '\377\377'
    if [ -n "$station" ]; then cat "$station"; fi
    printf '\377\377'
    if [ -n "$instrument" ]; then cat "$instrument"; fi
  } > "$out/seed-$name"
}

count=0

# The example sheet, both layouts and both zones.
ex=$root/examples
if [ -d "$ex" ]; then
  st=""; ins=""
  [ -f "$ex/station.mapping.out" ] && st=$ex/station.mapping.out
  [ -f "$ex/instrument.mapping.out" ] && ins=$ex/instrument.mapping.out
  for sheet in "$ex"/*.sheet; do
    [ -f "$sheet" ] || continue
    n=$(basename "$sheet" .sheet)
    for opt in 0 1 2 3; do
      seed "example-$n-$opt" "00$opt" "$sheet" "$st" "$ins"
      count=$((count + 1))
    done
  done
fi

# Every end-to-end case: its sheet and mapping files, its layout and zone.
for case_dir in "$root"/tests/e2e/cases/*/; do
  [ -d "$case_dir/in" ] || continue
  name=$(basename "$case_dir")
  opt=0
  if [ -f "$case_dir/args" ] && [ "$(grep -c '' "$case_dir/args")" -ge 2 ]; then
    opt=$((opt | 1))
  fi
  if [ -f "$case_dir/tz" ] && grep -q 'Los_Angeles\|PST' "$case_dir/tz"; then
    opt=$((opt | 2))
  fi
  sheet=$(find "$case_dir/in" -name '*.sheet' -type f | sort | head -n 1)
  st=""; ins=""
  [ -f "$case_dir/in/station.mapping.out" ] && st=$case_dir/in/station.mapping.out
  [ -f "$case_dir/in/instrument.mapping.out" ] && ins=$case_dir/in/instrument.mapping.out
  # A case without a file becomes a missing-file seed.
  if [ -z "$sheet" ]; then opt=$((opt | 0340))
  elif [ -z "$st" ]; then opt=$((opt | 0344))
  elif [ -z "$ins" ]; then opt=$((opt | 0350))
  fi
  seed "case-$name" "$(printf '%03o' "$opt")" "$sheet" "$st" "$ins"
  count=$((count + 1))
done

# Hand-made sheets.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
printf 'NN ABC\nCI PAS\nCI RVR\nCI GSC\n' > "$tmp/station"
printf 'BH 01 BH\nSP 02 EH\nLP 03\n' > "$tmp/instrument"

cat > "$tmp/default.sheet" <<'SHEET'
Q quarterly bulletin
L list page 1
I index entry
E 070175 100505.5 34-12.5 118-30.0 10.0 4.5
P ABC - (e) Pn Z 100520.25 d
P PAS BH i P NEZ 100523.1 c
P GSC SP ( S EZ 125975.0 +
P RVR LP e - NE 240000
P ZZZ XY e Pg NZ 0912
D PAS BH x 3.5 x 1.2 x 0
A RVR SP 0 2.25 0
S GSC SP 1.115 0.75 -0.5
B PAS BH 1.2 12.0 0 0
C Felt widely.
F	tab	separated comment
c a comment of exactly eighty characters......................................end
X
X
E 123175 235950.0 36.5 121.25 8.0 0
P PAS BH e Pg Z 240012.5 d
A PAS BH 1.0 0 0
X
E 010184 120000.0 34-00.0 118-00.0 5.0 3.0
P PAS BH e P Z 120005.0 c
C dropped under a closed gate
X
R unknown letter
e 130175 000000 0 0 -0.0 nan
p PAS BH e P Z 000001 d
SHEET
printf '\n' >> "$tmp/default.sheet"

cat > "$tmp/alternate.sheet" <<'SHEET'
E 070175 100505.5 34-12.5 118-30.0 10.0 4.5
P ABC - Z (e) Pn d 100520.25
P PAS BH NEZ i P c 100523.1
P GSC SP EZ ( S + 125975.0
P RVR LP N e - x 240000
D PAS BH x 3.5 x 1.2 x 0
A RVR SP 0 2.25 0
S GSC SP 1.115 0.75 -0.5
B PAS BH 1.2 12.0 0 0
C Felt widely.
F another comment
Q quarterly
L list
I index
X
SHEET

# Short and doubled lines of every letter.
: > "$tmp/short.sheet"
for l in E P D A S B C F X Q L I; do printf '%s\n%s \n' "$l" "$l" >> "$tmp/short.sheet"; done
cat > "$tmp/double.sheet" <<'SHEET'
E 070175 100505.5 34-12.5 118-30.0 10.0 4.5 070175 100505.5 34-12.5 118-30.0 10.0 4.5
P ABC - (e) Pn Z 100520.25 d ABC - (e) Pn Z 100520.25 d
D PAS BH x 3.5 x 1.2 x 0 PAS BH x 3.5 x 1.2 x 0
A RVR SP 0 2.25 0 RVR SP 0 2.25 0
S GSC SP 1.115 0.75 -0.5 GSC SP 1.115 0.75 -0.5
B PAS BH 1.2 12.0 0 0 PAS BH 1.2 12.0 0 0
C a C comment
F an F comment
X X
Q Q Q
L L L
I I I
SHEET

# Extreme numbers.
cat > "$tmp/extreme.sheet" <<'SHEET'
E 070175 1005nan 34-12.5 118-30.0 nan 1e39
P ABC BH (e) Pn Z 10051e39 d
P ABC BH (e) Pn Z 1005-1e39 d
P ABC BH (e) Pn Z 1005inf d
P ABC BH (e) Pn Z 10050x1p-149 d
P ABC BH (e) Pn Z 100599999999999 d
A ABC BH 1e39 -1e39 nan
B ABC BH inf 0x1p-149 -0 99999999999
E 070175 100505.5 nan inf 1e39 -1e39
E 070175 100505.5 -0 -0 -0 -0
E 070175 100505.5 99999999999 -99-99 1000 99999999999
X
SHEET

# Lines longer than the line reader's first buffer (64 KiB), and a sheet that
# fills that buffer exactly and has no final line end.
{
  printf 'E 070175 100505.5 34-12.5 118-30.0 10.0 4.5\nC '
  head -c 70000 /dev/zero | tr '\0' 'w'
  printf '\nP ABC BH (e) Pn Z 100520.25 d\nX\n'
} > "$tmp/long-line.sheet"
{
  printf 'E 070175 100505.5 34-12.5 118-30.0 10.0 4.5\nC '
  head -c $((65536 - 44 - 2 - 2)) /dev/zero | tr '\0' 'z'
  printf '\nX'
} > "$tmp/full-buffer.sheet"

seed hand-default 000 "$tmp/default.sheet" "$tmp/station" "$tmp/instrument"
seed hand-default-la 002 "$tmp/default.sheet" "$tmp/station" "$tmp/instrument"
seed hand-alternate 001 "$tmp/alternate.sheet" "$tmp/station" "$tmp/instrument"
seed hand-alternate-la 003 "$tmp/alternate.sheet" "$tmp/station" "$tmp/instrument"
seed hand-short 000 "$tmp/short.sheet" "$tmp/station" "$tmp/instrument"
seed hand-short-alt 001 "$tmp/short.sheet" "$tmp/station" "$tmp/instrument"
seed hand-double 000 "$tmp/double.sheet" "$tmp/station" "$tmp/instrument"
seed hand-double-alt 001 "$tmp/double.sheet" "$tmp/station" "$tmp/instrument"
seed hand-extreme 000 "$tmp/extreme.sheet" "$tmp/station" "$tmp/instrument"
seed hand-extreme-la 002 "$tmp/extreme.sheet" "$tmp/station" "$tmp/instrument"
seed hand-no-sheet 340 "" "$tmp/station" "$tmp/instrument"
seed hand-no-station 344 "$tmp/default.sheet" "" "$tmp/instrument"
seed hand-no-instrument 350 "$tmp/default.sheet" "$tmp/station" ""
seed hand-no-directory 354 "$tmp/default.sheet" "$tmp/station" "$tmp/instrument"
seed hand-empty 000 "" "" ""
seed hand-long-line 000 "$tmp/long-line.sheet" "$tmp/station" "$tmp/instrument"
seed hand-full-buffer 000 "$tmp/full-buffer.sheet" "$tmp/station" "$tmp/instrument"
count=$((count + 17))

echo "make_corpus: $count seeds in $out"
