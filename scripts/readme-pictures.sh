#!/usr/bin/env bash
# Refreshes the README's pictures: runs the GUI tests on their Xvfb desktop, which save
# screenshots in <build>/gui/shots, and copies the chosen ones into docs/img, cropped to
# what they show and stored compressed without time stamps (same picture, same bytes).
# Leaves docs/img untouched when a GUI test fails or a picture was not taken.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" --target gui_ui >/dev/null
arch=$("$root/scripts/arch.sh")
build=$(cd "${TVR_BUILD:-$root/build}" && pwd)
shots="$build/gui/shots"
img="$root/docs/img"

"$root/scripts/gui-start.sh" "$build" "$arch"
if [ ! -f "$build/gui/display" ]; then
  echo "No GUI desktop: $(cat "$build/gui/skip" 2>/dev/null || echo "unknown reason")"
  exit 1
fi
trap '"$root/scripts/gui-stop.sh" "$build" "$arch"' EXIT
since="$build/gui/pictures-since"
touch "$since"
"$root/scripts/gui-run.sh" "$build" "$arch" "$build/tests/gui_ui.exe" ||
  { echo "A GUI test failed: docs/img left as it was."; exit 1; }

settings=()
for page in plugin moduleinfo; do
  for look in en-scheme0 en-scheme1 de-scheme0 de-scheme1; do settings+=("settings-$page-$look"); done
done
# The trace-file plug-in's page, in English and German.
settings+=(settings-tracefile-en settings-tracefile-de-scheme0)
for shot in tray-menu tray-ok tray-paused tray-error messagebox-scheme0 messagebox-scheme1 info-dialog-hover \
  "${settings[@]}" scheme-config-en-scheme0 scheme-config-de-scheme1 help-viewer; do
  [ "$shots/$shot.png" -nt "$since" ] || { echo "The GUI tests did not take $shot.png: docs/img left as it was."; exit 1; }
done

mkdir -p "$img"
# Writes the last argument from the others, compressed and without time stamps.
save() { convert "${@:1:$#-1}" -strip -define png:exclude-chunks=date,time -define png:compression-level=9 "PNG24:${!#}"; }
# The crop geometry of what differs from the picture's corner colour, grown by a margin:
# around FILE MARGIN [operations applied before the measurement].
around() {
  local w h x y m=$2
  IFS='x+' read -r w h x y <<<"$(convert "$1" "${@:3}" -format '%@' info:)"
  echo "$((w + 2 * m))x$((h + 2 * m))+$((x > m ? x - m : 0))+$((y > m ? y - m : 0))"
}
# The shot runs from the menu to the taskbar's right end; the picture keeps the menu with a
# margin of desktop (measured without the taskbar, so that only the menu stands out).
save "$shots/tray-menu.png" -crop "$(around "$shots/tray-menu.png" 10 -gravity South -chop 0x20 +gravity)" +repage \
  "$img/tray-menu.png"
# The icon in its three states (OK, paused, stopped or error), each cut from the taskbar with
# a few pixels around it, side by side at twice the size.
states=()
for shot in tray-ok tray-paused tray-error; do
  states+=("(" "$shots/$shot.png" -crop "$(around "$shots/$shot.png" 4)" +repage ")")
done
save "${states[@]}" +append -scale 200% "$img/tray-states.png"
# The settings window on a plug-in's page and on the module info page, in schemes 0 and 1, in
# English and German: the whole window with its frame.
for shot in messagebox-scheme0 messagebox-scheme1 info-dialog-hover "${settings[@]}" \
  scheme-config-en-scheme0 scheme-config-de-scheme1 help-viewer; do
  save "$shots/$shot.png" "$img/$shot.png"
done
ls -l "$img"
