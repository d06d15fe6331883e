#!/usr/bin/env bash
# Starts the window; without a display there is nothing to show yet.
set -euo pipefail
build=${1:-build}
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: set DISPLAY or run under xvfb-run to see the window." >&2
  exit 0
fi
exec "$build/bin/quomtel" "$@"
