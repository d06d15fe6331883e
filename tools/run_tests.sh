#!/usr/bin/env bash
# Runs the whole suite headlessly, with a private runtime folder so Qt stays quiet.
set -euo pipefail
build=${1:-build}
runtime=$(mktemp -d)
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
