#!/usr/bin/env bash
# Stops the GUI tests' Wine desktop and the Xvfb that gui-start.sh started.
build=$(cd "$1" && pwd); arch=$2
. "$(dirname "$0")/gui-env.sh"
tvr_gui_env "$build" "$arch"
"$WINESERVER" -k 2>/dev/null || true
if [ -f "$TVR_GUI_STATE/xvfb.pid" ]; then
  kill "$(cat "$TVR_GUI_STATE/xvfb.pid")" 2>/dev/null || true
  rm -f "$TVR_GUI_STATE/xvfb.pid"
fi
rm -f "$TVR_GUI_STATE/display"
exit 0
