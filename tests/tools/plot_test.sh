#!/usr/bin/env bash
# tools/plot.gp on sweeps: two well-formed SVG figures, one series per algorithm and kind,
# and the second figure showing the excess over the bound where the CSV has it, else the
# gap to the optimum, else the length per sqrt(n A). Skipped (77) without gnuplot.
#   plot_test.sh PVC_BENCH SOURCE_DIR
set -euo pipefail
bench=$1 src=$2
if ! command -v gnuplot >/dev/null || ! command -v xmllint >/dev/null; then
  echo "SKIPPED: gnuplot or xmllint missing (apt-get install gnuplot-nox libxml2-utils)"
  exit 77
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0

# figures NAME CSV WANT...: plots CSV, then each WANT must be a text of the figures.
figures() {
  local name=$1 csv=$2 want
  shift 2
  if ! gnuplot -c "$src/tools/plot.gp" "$csv" "$tmp/$name" 1000000 2>"$tmp/$name.log"; then
    echo "FAIL $name: gnuplot failed"; cat "$tmp/$name.log"; fail=1; return
  fi
  for f in "$tmp/$name-time.svg" "$tmp/$name-quality.svg"; do
    xmllint --noout "$f" || { echo "FAIL $name: $f is not well-formed"; fail=1; return; }
  done
  for want in "$@"; do
    if ! grep -qF -- "$want" "$tmp/$name-time.svg" "$tmp/$name-quality.svg"; then
      echo "FAIL $name: no '$want' in the figures"; fail=1
    fi
  done
  echo "ok $name"
}

"$bench" --csv --kind uniform,clustered --n 50,100,200 --reps 2 --algo 0,2,4 --range 1000000 >"$tmp/kinds.csv"
figures kinds "$tmp/kinds.csv" ">H2Opt (clustered)<" ">HARPM<" "Tour length / sqrt(n A)" "side 1000000"
data=$src/data/tsplib
"$bench" --csv --tsplib "$data/burma14.tsp,$data/berlin52.tsp" --optima "$data/OPTIMA" --algo 0,2 >"$tmp/files.csv"
figures files "$tmp/files.csv" ">H2Opt (files)<" "Gap to the optimum"
# A sweep with the lower bound: the excess over it comes first, the bound's time beside the
# algorithms'.
"$bench" --csv --bound --n 50,100 --algo 0,2 --range 1000000 >"$tmp/bound.csv"
figures bound "$tmp/bound.csv" "Excess over the lower bound" ">HeldKarp<"
exit $fail
