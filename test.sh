#!/usr/bin/env bash
# Builds everything and runs every test: natively (with sanitizers and a
# bounded fuzzing run) and under Wine on a virtual display.
set -euo pipefail
cd "$(dirname "$0")"

bash tools/deps.sh
. tools/build.sh
. tools/wine-session.sh

nelvo_build
nelvo_build_native_tests

status=0
echo "test: native" >&2
ctest --test-dir build/native-asan --output-on-failure -j2 || status=1

echo "test: Windows programs under Wine" >&2
trap wine_session_stop EXIT
wine_session_start "$PWD/build/win32/wineprefix" xvfb out/tests/keepalive.exe
ctest --test-dir build/win32 --output-on-failure || status=1
wine_session_stop
trap - EXIT

echo "screenshots: $PWD/out/screenshots" >&2
[ "$status" -eq 0 ] && echo "test: all passed" >&2 || echo "test: FAILED" >&2
exit "$status"
