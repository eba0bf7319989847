#!/usr/bin/env bash
# Checks that each folder of src/ includes only its own headers and those of
# the folders below it: text, reference, records, driver, check (lowest
# first).  Prints FILE:LINE: and the include for each that breaks the order,
# and exits with 1 when there is one.
set -u
cd "$(dirname "$0")/.."
layers=(text reference records driver check)
rank() {
  local i
  for i in "${!layers[@]}"; do
    [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }
  done
  echo -1
}
status=0
while IFS= read -r -d '' file; do
  folder=${file#src/}
  folder=${folder%%/*}
  own=$(rank "$folder")
  if [ "$own" -lt 0 ]; then
    echo "$file:1: not in a folder of the layers (${layers[*]})"
    status=1
    continue
  fi
  while IFS=: read -r line text; do
    used=${text#*\"}
    used=${used%%/*}
    r=$(rank "$used")
    if [ "$r" -lt 0 ] || [ "$r" -gt "$own" ]; then
      echo "$file:$line: $text: $folder/ may not use $used/"
      status=1
    fi
  done < <(grep -n '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
done < <(find src \( -name '*.h' -o -name '*.cc' \) -print0 | sort -z)
exit $status
