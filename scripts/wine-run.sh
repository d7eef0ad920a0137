#!/usr/bin/env bash
# Runs one Windows program under the Wine prefix of a build folder (CTest's emulator).
set -euo pipefail
build=$1 arch=$2; shift 2
. "$(dirname "$0")/wine-env.sh"
tvr_wine_env "$build" "$arch"
# The wineserver and Wine's own services must already run, started with no pipe attached.
# One starter at a time: a second one would stop the server the first is starting.
(
  flock 9
  # (not handed on: the server it starts lives on and would hold the lock)
  [ -f "$WINEPREFIX/.server-up" ] || "$(dirname "$0")/wineprefix.sh" "$build" "$arch" </dev/null >/dev/null 2>&1 9>&-
) 9>"$build/.wineprefix.lock"
# The output goes through a file: a helper that Wine starts on demand (the desktop process
# when the first window of a server session is made) inherits the program's output and can
# outlive it; holding a file, not CTest's pipe, it cannot make CTest wait for it.
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# A test program always prints something. A failure with no output at all means Wine did
# not get the program running (seen rarely on a loaded machine, with nothing said since
# WINEDEBUG is off): that is tried again, and said.
set +e
for attempt in 1 2 3; do
  "$WINELOADER" "$@" </dev/null >"$out" 2>&1
  status=$?
  [ "$status" -eq 0 ] || [ -s "$out" ] && break
  echo "wine-run: $1 ended with $status before it printed anything (attempt $attempt)" >&2
done
set -e
cat "$out"
exit "$status"
