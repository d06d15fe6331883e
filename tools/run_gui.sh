#!/usr/bin/env bash
# Starts the window on the bundled example data (or on the files given after the build folder).
set -euo pipefail
build=${1:-build}
shift || true
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: set DISPLAY or run under xvfb-run to see the window." >&2
  exit 0
fi
if [ $# -eq 0 ]; then
  set -- examples/ridge_site.tlv
fi
exec "$build/bin/quomtel" "$@"
