# Sourced by the scripts: sets the Wine loader and server for the runnable architecture
# and the prefix inside the given build folder.
tvr_wine_env() {
  local build=$1 arch=$2
  export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
  export USER="${TVR_USER:-tester}"
  if [ "$arch" = x86_64 ]; then
    export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 WINEARCH=win64
  else
    export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 WINEARCH=win32
  fi
}
