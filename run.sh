#!/usr/bin/env bash
# Builds everything and runs the setup program under Wine. On your display
# when there is one. Without one, the wizard runs on a virtual display and
# is walked through a whole installation with real mouse and keyboard input
# (accept, keep the proposed folder, install, watch the progress, finish);
# every page and message box is photographed to out/screenshots/run-*.png,
# and where the product went and what was registered is printed.
set -euo pipefail
cd "$(dirname "$0")"

bash tools/deps.sh
. tools/build.sh
. tools/wine-session.sh
nelvo_build

prefix="$PWD/build/run-prefix"
# Ends the wineserver of this prefix and the virtual display, both started
# here, and nothing else.
trap wine_session_stop EXIT
if [ -n "${DISPLAY:-}" ]; then
  wine_session_start "$prefix"
  wine out/setup.exe || true
else
  wine_session_start "$prefix" xvfb
  mkdir -p out/screenshots
  rm -f out/screenshots/run-*.png
  echo "run: no display here; walking the wizard on a virtual display." >&2
  status=0
  NELVO_OUT="$PWD/out" timeout -k 5 300 wine out/tests/wizardwalk.exe </dev/null | tr -d '\r' || status=$?
  echo "run: screenshots of every page and message box: $PWD/out/screenshots/run-*.png" >&2
  exit $status
fi
