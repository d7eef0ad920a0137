#!/usr/bin/env bash
# Runs one GUI test program on the desktop that gui-start.sh started; without one, runs it
# headless with TVR_GUI_SKIP set to the reason, so that its tests skip.
set -euo pipefail
build=$(cd "$1" && pwd); arch=$2; shift 2
. "$(dirname "$0")/gui-env.sh"
tvr_gui_env "$build" "$arch"
if [ ! -f "$TVR_GUI_STATE/display" ]; then
  reason="no display for GUI tests"
  [ -f "$TVR_GUI_STATE/skip" ] && reason=$(cat "$TVR_GUI_STATE/skip")
  TVR_GUI_SKIP="$reason" exec "$(dirname "$0")/wine-run.sh" "$build" "$arch" "$@"
fi
export DISPLAY
DISPLAY=$(cat "$TVR_GUI_STATE/display")
out=$(mktemp)
trap 'rm -f "$out"' EXIT
set +e
"$WINELOADER" "$@" </dev/null >"$out" 2>&1
status=$?
set -e
cat "$out"
exit "$status"
