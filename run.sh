#!/usr/bin/env bash
# Builds everything and runs the setup program under Wine: on your display
# when there is one, otherwise on a virtual display, with a screenshot saved
# to out/screenshots/run.png.
set -euo pipefail
cd "$(dirname "$0")"

bash tools/deps.sh
. tools/build.sh
. tools/wine-session.sh
nelvo_build

prefix="$PWD/build/run-prefix"
trap wine_session_stop EXIT
if [ -n "${DISPLAY:-}" ]; then
  wine_session_start "$prefix"
  wine out/setup.exe || true
else
  wine_session_start "$prefix" xvfb
  wine out/setup.exe &
  pid=$!
  # Give the wizard time to show itself, then photograph the screen.
  for i in $(seq 1 50); do
    xdotool search --onlyvisible --name . >/dev/null 2>&1 && break
    sleep 0.2
  done
  sleep 2
  mkdir -p out/screenshots
  import -window root out/screenshots/run.png
  echo "run: no display here; the setup program ran on a virtual display." >&2
  echo "run: screenshot saved to $PWD/out/screenshots/run.png" >&2
  # End it: the virtual display has nobody to answer the wizard.
  kill "$pid" 2>/dev/null || true
  wineserver -k >/dev/null 2>&1 || true
fi
