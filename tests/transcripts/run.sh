#!/bin/sh
# Runs pvc on NAME.in with time() fixed and compares its standard output, byte for byte,
# with NAME.out. Only the time column of the results table is masked (it varies from run
# to run). Set PVC_UPDATE=1 to rewrite NAME.out from the actual output.
# Usage: run.sh PVC FAKETIME_LIB BASE
pvc=$1 lib=$2 base=$3
export LC_ALL=C
unset DISPLAY WAYLAND_DISPLAY  # the drawing hooks print their fixed line
actual=$(mktemp) || exit 1
trap 'rm -f "$actual" "$actual.m"' EXIT
time_value=1700000000
[ -f "$base.time" ] && time_value=$(cat "$base.time")
PVC_FAKE_TIME=$time_value LD_PRELOAD=$lib ASAN_OPTIONS=verify_asan_link_order=0 \
  "$pvc" < "$base.in" > "$actual"
status=$?
if [ $status -ne 0 ]; then echo "exit status $status"; exit 1; fi
awk '
  /^Id Algorithme         Chemin   Temp$/ { show = 1; print; next }
  show && /^[ 0-9][0-9] *[^ ]+( +[0-9]+)? +[0-9]+$/ { print substr($0, 1, length($0) - 9) "        T"; next }
  { show = 0; print }
' "$actual" > "$actual.m"
if [ -n "$PVC_UPDATE" ]; then cp "$actual.m" "$base.out"; fi
if cmp -s "$actual.m" "$base.out"; then exit 0; fi
diff "$base.out" "$actual.m" | head -40
exit 1
