# Sourced by the GUI scripts: the Wine environment of a build folder with the GUI prefix
# (X11 driver, every process on the 1024x700 virtual desktop "shell" with its taskbar) and
# the folder that holds the display's state.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
tvr_gui_env() {
  tvr_wine_env "$1" "$2"
  export WINEPREFIX="$1/wineprefix-gui"
  TVR_GUI_STATE="$1/gui"
}
