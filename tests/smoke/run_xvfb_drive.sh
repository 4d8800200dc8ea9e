#!/usr/bin/env bash
# Drives the real program on a fresh virtual X display.
# Usage: run_xvfb_drive.sh DRIVER_BINARY ORVENDI_BINARY SCREENSHOT_PATH
set -euo pipefail
if ! command -v xvfb-run >/dev/null 2>&1; then
  echo "xvfb-run is missing (package xvfb): scripts/install-deps installs it" >&2
  exit 1
fi
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  env QT_QPA_PLATFORM=xcb "$1" --program="$2" --screenshot="$3"
