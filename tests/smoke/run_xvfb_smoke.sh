#!/usr/bin/env bash
# Runs the smoke test program on a fresh virtual X display.
# Usage: run_xvfb_smoke.sh SMOKE_BINARY SCREENSHOT_PATH
set -euo pipefail
binary="$1"
screenshot="$2"
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run is missing (package xvfb): scripts/install-deps installs it" >&2
  exit 1
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  sh -c 'QT_QPA_PLATFORM=xcb exec "$0" --launched-at-ns="$(date +%s%N)" --screenshot="$1"' "$binary" "$screenshot"
