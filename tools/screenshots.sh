#!/usr/bin/env bash
# The pictures of README.md and docs/: the real window on the bundled example under a virtual X
# server (no window manager needed), driven by its hidden --screenshots option, which designates
# the fittest stress state with three clicks and saves each view as the server shows it.
set -euo pipefail
build=${1:-build}
out=${2:-docs/images}
limit=200000 # bytes; larger pictures are reduced to 256 colours
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$out" "$tmp/runtime"
chmod 700 "$tmp/runtime"
# The X server's window, with the same numbers and fonts on every machine.
env -u QT_QPA_PLATFORM LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$tmp/runtime" \
  timeout 300 xvfb-run -a -s "-screen 0 1400x1024x24" \
  "$build/bin/quomtel" --screenshots "$tmp/shots" examples/ridge_site.tlv >/dev/null
for shot in "$tmp"/shots/*.png; do
  target="$out/$(basename "$shot")"
  if [ "$(stat -c %s "$shot")" -gt "$limit" ]; then
    convert "$shot" +dither -colors 256 -define png:compression-level=9 \
      -define png:exclude-chunk=date,time "$target"
  else
    cp "$shot" "$target"
  fi
  echo "$target ($(stat -c %s "$target") bytes)"
done
