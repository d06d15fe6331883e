#!/usr/bin/env bash
# Starts the window on the bundled example data (or on the files given after the build folder);
# without a display, runs the batch tool on the example instead.
set -euo pipefail
build=${1:-build}
shift || true
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  # Without a display the batch tool does the window's work on the example: every file and
  # every picture of the fittest stress state, in each picture format.
  echo "No display: set DISPLAY or run under xvfb-run to see the window." >&2
  echo "Running $build/bin/quomtel-batch on examples/ridge_site.tlv instead." >&2
  mkdir -p out
  batch() { "$build/bin/quomtel-batch" --inversion-result examples/ridge_site.tlv --stress best "$@"; }
  batch --write-misfit out/misfit.txt --write-theoretical out/theoretical.efd \
    --write-stress-tensor out/stress_tensor.txt --statistics >out/statistics.txt
  batch --list-fault-data >out/fault_data_list.txt
  for ext in emf svg pdf png; do
    batch --plot-fault-data "out/fault_data.$ext" --plot-stress "out/stress.$ext" \
      --plot-mohr "out/mohr.$ext" --plot-histogram "out/histogram.$ext"
  done
  for f in misfit.txt theoretical.efd stress_tensor.txt statistics.txt fault_data_list.txt; do
    echo "out/$f"
  done
  for ext in emf svg pdf png; do
    for p in fault_data stress mohr histogram; do echo "out/$p.$ext"; done
  done
  exit 0
fi
if [ $# -eq 0 ]; then
  set -- examples/ridge_site.tlv
fi
exec "$build/bin/quomtel" "$@"
