# Two SVG figures from the CSV of a pvc-bench sweep (a merged one or that of one process):
#
#   gnuplot -c tools/plot.gp SWEEP.csv [PREFIX [RANGE]]
#
# PREFIX-time.svg: the time of each algorithm against n, log-log, averaged over the
# instances of each size (solid lines uniform instances, dashed clustered ones, dotted
# files), the lower bound's computation too where the CSV has its rows. PREFIX-quality.svg: the tour against n, as the excess over the lower bound in
# percent where the CSV has it (over_bound), else the gap to the optimum in percent where
# known (gap), else the length over sqrt(n A), A = RANGE^2 the area of the square (RANGE
# the sweep's --range, 1000 by default). PREFIX defaults to the CSV's name without .csv.
if (ARGC < 1) {
  print "usage: gnuplot -c tools/plot.gp SWEEP.csv [PREFIX [RANGE]]"
  exit status 2
}
file = ARG1
prefix = ARGC >= 2 ? ARG2 : (strlen(file) > 4 && file[strlen(file)-3:] eq ".csv" ? file[1:strlen(file)-4] : file)
range = ARGC >= 3 ? real(ARG3) : 1000.0

set datafile separator ","
set datafile columnheaders
set terminal svg size 900,560 dynamic enhanced font "sans,13" background "white"
set key outside right top Left reverse samplen 3 spacing 1.2
set grid xtics ytics mxtics lc rgb "#dddddd"
set xlabel "n (cities)"
set logscale x

# The table's algorithms, then the lower bound's row of --bound (its time only); instances
# uniform (k = 1), clustered (2) or files (3).
algos = "HPlusProcheVoisin HMoindreCout H2Opt HRecuitSimule HARPM ASepEval HElastique HeldKarp"
kind_of(name) = name[1:6] eq "random" ? 1 : name[1:9] eq "clustered" ? 2 : 3
kind_title(k) = k == 1 ? "" : k == 2 ? " (clustered)" : " (files)"
is(a, k) = strcol("algorithm") eq word(algos, a) && kind_of(strcol("instance")) == k

# What the second figure shows.
header = system(sprintf("head -n 1 '%s'", file))
use_bound = 0
if (strstrt(header, "over_bound")) {
  stats file using (strcol("over_bound") ne "" ? 1 : 0) nooutput
  use_bound = STATS_sum > 0
}
stats file using (strcol("gap") ne "" ? 1 : 0) nooutput
use_gap = !use_bound && STATS_sum > 0
quality(a, k) = use_bound ? (strcol("over_bound") eq "" ? NaN : column("over_bound")) \
              : use_gap ? (strcol("gap") eq "" ? NaN : column("gap")) \
              : column("length") / sqrt(column("n") * range * range)

# One series per algorithm and kind that has rows, its rows first copied into a data block
# (smooth unique averages the rows of one n, and takes no undefined points): the same
# colour for an algorithm, the kind in the dashes and points.
time_plot = ""
quality_plot = ""
do for [a = 1:8] {
  do for [k = 1:3] {
    stats file using (is(a, k) ? 1 : 0) nooutput
    if (STATS_sum > 0) {
      block = sprintf("$rows_%d_%d", a, k)
      eval sprintf("set table %s", block)
      plot file using (column("n")):(column("ms")):(quality(a, k)) with table if (is(a, k))
      unset table
      style = sprintf(" smooth unique with linespoints lc %d dt %d pt %d ps 0.8 title '%s%s'", \
                      a, k, k == 2 ? 6 : 7, word(algos, a), kind_title(k))
      time_plot = time_plot . (time_plot eq "" ? "" : ", ") . block . " using 1:2" . style
      if (a < 8) {
        quality_plot = quality_plot . (quality_plot eq "" ? "" : ", ") . block . " using 1:3" . style
      }
    }
  }
}
if (quality_plot eq "") {
  print sprintf("%s: no rows of the workbench's algorithms", file)
  exit status 1
}

# The data blocks are tables of blank-separated numbers.
set datafile separator whitespace
set datafile nocolumnheaders
set output prefix . "-time.svg"
set title "Time per run (mean over the instances of each size)"
set ylabel "time (ms)"
set logscale y
set format y "10^{%L}"
set format x "10^{%L}"
eval "plot " . time_plot

set output prefix . "-quality.svg"
unset logscale y
set format y "%g"
if (use_bound) {
  set title "Excess over the lower bound (mean over the instances of each size)"
  set ylabel "excess over the bound (%)"
} else {
  if (use_gap) {
    set title "Gap to the optimum (mean over the instances of each size)"
    set ylabel "gap to the optimum (%)"
  } else {
    set title sprintf("Tour length / sqrt(n A), A the area of the square of side %.0f\n(mean over the instances of each size)", range) noenhanced
    set ylabel "length / sqrt(n A)"
  }
}
eval "plot " . quality_plot
unset output
