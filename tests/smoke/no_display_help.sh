#!/usr/bin/env bash
# `orvendi --help` and `--version` answer on a machine without any display.
# Usage: no_display_help.sh PATH/TO/orvendi VERSION
set -u
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
status=0
help=$("$1" --help 2>&1) || { echo "orvendi --help failed: $help" >&2; status=1; }
grep -q 'Usage:' <<<"$help" || { echo "orvendi --help printed: $help" >&2; status=1; }
version=$("$1" --version 2>&1) || { echo "orvendi --version failed: $version" >&2; status=1; }
[ "$version" = "orvendi $2" ] || { echo "orvendi --version printed: $version" >&2; status=1; }
exit $status
