#!/usr/bin/env bash
# A pvc-bench sweep in parts over GNU parallel, on the local cores or on several machines,
# merged at the end:
#
#   tools/sweep-parallel.sh [-p PARTS] [-j JOBS] [--sshloginfile FILE] DIR [pvc-bench options...]
#
# Part K of PARTS runs `pvc-bench --shard K/PARTS OPTIONS`; its rows land in DIR/part-K.csv
# (its notes in DIR/part-K.err), then DIR/merged.csv receives the CSV the same options give
# in one process; the files of an earlier sweep in DIR are replaced. PARTS defaults to
# twice the job slots, so that a slow part does not hold the others up; JOBS (parallel's
# -j) to one per core. With --sshloginfile the parts run on the machines listed there (see
# parallel's manual); pvc-bench and the TSPLIB files named in the options must then be at
# the same paths on each.
#
# PVC_BENCH names the pvc-bench to run; by default build/pvc-bench beside this script's
# folder, else pvc-bench on the PATH. Exit status: 0; 1 when a part failed (the merge still
# joins the parts that ended, and refuses when one is missing or cut short); 2 for a usage
# error.
set -euo pipefail

usage() {
  echo "usage: $0 [-p PARTS] [-j JOBS] [--sshloginfile FILE] DIR [pvc-bench options...]" >&2
  exit 2
}

parts= jobs= logins=()
while [ $# -gt 0 ]; do
  case $1 in
    -p) [ $# -ge 2 ] || usage; parts=$2; shift 2 ;;
    -j) [ $# -ge 2 ] || usage; jobs=$2; shift 2 ;;
    --sshloginfile|--slf) [ $# -ge 2 ] || usage; logins=(--sshloginfile "$2"); shift 2 ;;
    -h|--help) usage ;;
    *) break ;;
  esac
done
[ $# -ge 1 ] || usage
dir=$1
shift
command -v parallel >/dev/null || { echo "$0: GNU parallel missing (apt-get install parallel)" >&2; exit 2; }

here=$(cd "$(dirname "$0")/.." && pwd)
bench=${PVC_BENCH:-}
if [ -z "$bench" ]; then
  if [ -x "$here/build/pvc-bench" ]; then bench=$here/build/pvc-bench; else bench=$(command -v pvc-bench || true); fi
fi
[ -n "$bench" ] && [ -x "$bench" ] || { echo "$0: no pvc-bench (set PVC_BENCH)" >&2; exit 2; }
case $bench in /*) ;; *) bench=$(cd "$(dirname "$bench")" && pwd)/$(basename "$bench") ;; esac

if [ -z "$jobs" ]; then jobs=$(parallel --will-cite --number-of-cores); fi
if [ -z "$parts" ]; then
  if [ ${#logins[@]} -gt 0 ]; then parts=16; else parts=$((2 * jobs)); fi
fi
case $parts in '' | *[!0-9]* | 0) echo "$0: -p $parts: a whole number of parts of at least 1" >&2; exit 2 ;; esac

mkdir -p "$dir"
rm -f "$dir"/part-*.csv "$dir"/part-*.err "$dir/merged.csv"
status=0
# --results DIR/part-K stores each part's standard output (and .err, .seq) locally, wherever
# the part ran; -q passes every option through quoted, unchanged.
parallel --will-cite -q -j "$jobs" "${logins[@]}" --results "$dir/part-{}" \
  "$bench" --shard "{}/$parts" "$@" ::: $(seq 0 $((parts - 1))) || status=1
files=()
for ((k = 0; k < parts; ++k)); do
  [ -e "$dir/part-$k" ] && mv "$dir/part-$k" "$dir/part-$k.csv"
  rm -f "$dir/part-$k.seq"
  files+=("$dir/part-$k.csv")
done
if "$bench" --merge "${files[@]}" >"$dir/merged.csv.tmp"; then
  mv "$dir/merged.csv.tmp" "$dir/merged.csv"
else
  rm -f "$dir/merged.csv.tmp"
  exit 1
fi
exit $status
