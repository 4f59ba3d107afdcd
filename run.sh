#!/usr/bin/env bash
# Builds and starts the program: in a real window when a display is there,
# otherwise as a screenshot from the headless screen.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/bootstrap
./scripts/build build
program=build/bin/diary
[ -x "$program" ] || program=build/bin/gallery
if [ -n "${DISPLAY:-}" ]; then
  exec "$program" "$@"
fi
shot="$PWD/build/screenshot.png"
"$program" --screenshot "$shot" "$@"
echo "No display: wrote a screenshot of $(basename "$program") to $shot"
