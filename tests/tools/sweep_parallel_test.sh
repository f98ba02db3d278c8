#!/usr/bin/env bash
# tools/sweep-parallel.sh for real: sweeps run in parts by GNU parallel, several at once,
# merged; the merged CSV must hold the rows of the same options run in one process, time
# and memory aside. Skipped (77) without GNU parallel.
#   sweep_parallel_test.sh PVC_BENCH SOURCE_DIR
set -euo pipefail
bench=$1 src=$2
if ! command -v parallel >/dev/null; then
  echo "SKIPPED: GNU parallel missing (apt-get install parallel)"
  exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export PVC_BENCH=$bench
fail=0

# Drops the last two fields of each row (ms, peak_mib).
rows() { sed 's/,[^,]*,[^,]*$//' "$1"; }

# check NAME PARTS JOBS STATUS OPTIONS...: the sweep in PARTS parts, ending with STATUS,
# against one process.
check() {
  local name=$1 parts=$2 jobs=$3 want=$4 status=0
  shift 4
  local out=$tmp/$name
  "$src/tools/sweep-parallel.sh" -p "$parts" -j "$jobs" "$out" "$@" 2>"$tmp/$name.log" || status=$?
  if [ "$status" -ne "$want" ] || [ ! -e "$out/merged.csv" ]; then
    echo "FAIL $name: the sweep ended with status $status, not $want"; cat "$tmp/$name.log"; fail=1; return
  fi
  "$bench" --csv "$@" >"$tmp/$name.whole.csv" 2>/dev/null || true
  if ! diff <(rows "$tmp/$name.whole.csv") <(rows "$out/merged.csv"); then
    echo "FAIL $name: the merged rows differ from one process's"; fail=1; return
  fi
  echo "ok $name: $(($(wc -l <"$out/merged.csv") - 1)) rows from $parts parts"
}

data=$src/data/tsplib
# Every row of the table, some runs skipped for their size, two kinds.
check clustered 5 3 0 --kind clustered --n 9,40,120 --reps 2 --max-exact 9 --max-net 40
check uniform 4 2 0 --kind uniform,clustered --n 30,200 --reps 3 --algo 0,1,2,4 --option 3
# TSPLIB files with their gaps, one of them unreadable (skipped in its part, status 1).
check files 3 3 1 --tsplib "$tmp/none.tsp,$data/burma14.tsp,$data/gr24.tsp,$data/berlin52.tsp" --optima "$data/OPTIMA" --algo 0,2,3,4
# With the bound: parts that hold an instance's rows without its bound get it at the merge.
check bound 5 2 0 --kind uniform,clustered --n 30,200 --reps 2 --algo 0,2,4 --bound
# More parts than runs: most parts empty.
check many 9 3 0 --n 25 --algo 0,2

# Options pass through unchanged: a refused one fails every part and leaves no merged file.
if "$src/tools/sweep-parallel.sh" -p 2 -j 2 "$tmp/bad" --n 10 --kind round 2>/dev/null || [ -e "$tmp/bad/merged.csv" ]; then
  echo "FAIL bad: a sweep with a refused option succeeded"; fail=1
fi
exit $fail
