#!/usr/bin/env bash
# tools/sweep.sbatch for real, on a one-node Slurm cluster this test starts and stops: a
# sweep as a job array of four tasks, merged by the job that depends on it; the merged CSV
# must hold the rows of the same options run in one process, time and memory aside. A
# sweep whose tasks fail never runs its merge. Skipped (77) without root, munge or Slurm.
#   sweep_slurm_test.sh PVC_BENCH SOURCE_DIR
set -euo pipefail
bench=$1 src=$2
tmp=$(mktemp -d)
cluster=$tmp/cluster
trap '"$src/tools/one-node-slurm.sh" stop "$cluster"; rm -rf "$tmp"' EXIT
status=0
"$src/tools/one-node-slurm.sh" start "$cluster" >"$tmp/env" 2>"$tmp/start.log" || status=$?
if [ "$status" -eq 77 ]; then
  echo "SKIPPED: $(cat "$tmp/start.log")"
  exit 77
elif [ "$status" -ne 0 ]; then
  echo "FAIL: the cluster did not start"; cat "$tmp/start.log"
  tail -n 20 "$cluster"/*.log
  exit 1
fi
source "$tmp/env"
export PVC_BENCH=$bench

options=(--kind clustered --n 9,50,150 --reps 2 --algo 0,1,2,3,4,5 --max-exact 9)
cd "$tmp"
array=$(sbatch --parsable --array=0-3 --output="$tmp/task-%a.log" "$src/tools/sweep.sbatch" "$tmp/out" "${options[@]}")
for _ in $(seq 600); do [ -e "$tmp/out/merged.csv" ] && break; sleep 0.2; done
rows() { sed 's/,[^,]*,[^,]*$//' "$1"; }
"$bench" --csv "${options[@]}" >"$tmp/whole.csv" 2>/dev/null
fail=0
if [ -e "$tmp/out/merged.csv" ] && diff <(rows "$tmp/whole.csv") <(rows "$tmp/out/merged.csv"); then
  echo "ok: $(($(wc -l <"$tmp/out/merged.csv") - 1)) rows from the 4 tasks of array $array"
else
  echo "FAIL: no merged file within 120 s, or its rows differ from one process's"
  cat "$tmp"/task-*.log "$tmp/out/merge.log" 2>/dev/null || true
  fail=1
fi

# Tasks that fail (a refused option) leave the merge waiting for good, never run.
bad=$(sbatch --parsable --array=0-1 --output=/dev/null "$src/tools/sweep.sbatch" "$tmp/bad" --n 10 --kind round)
reason=
for _ in $(seq 300); do
  reason=$(squeue -h -o %r -n pvc-sweep-merge 2>/dev/null || true)
  [ "$reason" = DependencyNeverSatisfied ] && break || sleep 0.2
done
if [ "$reason" != DependencyNeverSatisfied ] || [ -e "$tmp/bad/merged.csv" ]; then
  echo "FAIL: after failed tasks the merge is '${reason:-gone}'"
  fail=1
else
  echo "ok: array $bad failed, its merge never runs"
fi
scancel -n pvc-sweep-merge 2>/dev/null || true
exit $fail
