#!/usr/bin/env bash
# The installer package, built by scripts/package.sh from the build's distribution folder:
#   reproducible   two runs give the same bytes
#   signed         with a throwaway certificate every program file, DLL and the package verifies
#   service        SERVICE=1 CONFIGLOCATION=registry: install, upgrade, downgrade, uninstall
#   tray           the default tray start for every user, CONFIGLOCATION=program, the installed
#                  host serves a record, uninstall with PURGE=1
# usage: installer-test.sh SOURCE BUILD ARCH CASE
set -euo pipefail
src=$1 build=$2 arch=$3 case=$4
. "$src/scripts/wine-env.sh"
tvr_wine_env "$build" "$arch"
work="$build/installer-test/$case"
rm -rf "$work"
mkdir -p "$work"
failures=0

fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
expect() { local what=$1; shift; if "$@"; then echo "ok: $what"; else fail "$what"; fi; }
field() { sed -n "s/^set(TVR_VERSION_$1 \([0-9]*\))/\1/p" "$src/cmake/TelvarinVersion.cmake"; }
version=$(field MAJOR).$(field MINOR).$(field PATCH).$(field BUILD)
# Windows Installer compares the first three fields of a version.
higher=$(field MAJOR).$(field MINOR).$(($(field PATCH) + 1)).$(field BUILD)
suffix=$([ "$arch" = x86_64 ] && echo -x64 || true)

build_package() {  # version, output folder; more environment may come before the call
  TVR_PACKAGE_VERSION=$1 TVR_PACKAGE_DIR=$2 bash "$src/scripts/package.sh" "$build/dist" >"$2.log" 2>&1 ||
    { cat "$2.log"; exit 1; }
  echo "$2/Telvarin-$1$suffix.msi"
}

case $case in
reproducible)
  # The SDK archive from a build folder with the repository's SDK as its sdk folder; the
  # second run sees other file times.
  export TVR_BUILD=$work/build
  mkdir -p "$TVR_BUILD"
  cp -r "$src/sdk" "$TVR_BUILD/sdk"
  first=$(build_package "$version" "$work/first")
  touch "$TVR_BUILD/sdk"/*
  second=$(build_package "$version" "$work/second")
  expect "two runs give the same sha256" [ "$(sha256sum <"$first")" = "$(sha256sum <"$second")" ]
  expect "two runs give the same SDK archive" \
    cmp -s "$work/first/TelvarinSDK-$version.zip" "$work/second/TelvarinSDK-$version.zip"
  unset TVR_BUILD
  # A changed file gives another package (and package code).
  cp -a "$build/dist" "$work/dist"
  echo extra >"$work/dist/PluginExtra/readme.txt"
  TVR_PACKAGE_VERSION=$version TVR_PACKAGE_DIR=$work/third bash "$src/scripts/package.sh" "$work/dist" >/dev/null
  third="$work/third/Telvarin-$version$suffix.msi"
  expect "another content gives another package code" \
    [ "$(msiinfo suminfo "$first" | grep UUID)" != "$(msiinfo suminfo "$third" | grep UUID)" ]
  expect "a new file of the folder is packaged" bash -c "msiinfo export '$third' File | grep -q readme.txt"
  exit $((failures > 0))
  ;;
signed)
  openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Telvarin test signer" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
  msi=$(TVR_SIGN_CERT=$work/cert.pem TVR_SIGN_KEY=$work/key.pem SOURCE_DATE_EPOCH=1700000000 \
        build_package "$version" "$work/package")
  expect "the script says what it signed" grep -q "^Signed:" "$work/package.log"
  mkdir -p "$work/files"
  (cd "$work/files" && msiextract "$msi" >/dev/null)
  mapfile -t files < <(find "$work/files" -type f \( -name Telvarin.exe -o -iname '*.dll' \) | sort)
  expect "the package holds the program and DLLs" [ ${#files[@]} -ge 2 ]
  for f in "${files[@]}" "$msi"; do
    expect "$(basename "$f") verifies" bash -c "osslsigncode verify -CAfile '$work/cert.pem' -in '$f' >'$work/verify.log' 2>&1"
  done
  expect "the signing time is the fixed one" bash -c "osslsigncode verify -CAfile '$work/cert.pem' -in '$msi' 2>&1 | grep -q 'Signing time: Nov 14 22:13:20 2023'"
  unsigned=$(build_package "$version" "$work/unsigned")
  expect "without a certificate nothing is signed and the script says so" \
    bash -c "grep -q 'Nothing was signed' '$work/unsigned.log' && ! osslsigncode verify -in '$unsigned' >/dev/null 2>&1"
  exit $((failures > 0))
  ;;
esac

# ---- Under Wine -------------------------------------------------------------------------
[ -f "$WINEPREFIX/.server-up" ] || "$src/scripts/wineprefix.sh" "$build" "$arch" </dev/null >/dev/null 2>&1
program_dir="$WINEPREFIX/drive_c/Program Files/orvex/Telvarin"
program_win='C:\Program Files\orvex\Telvarin\Telvarin.exe'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall'
setup_key='HKLM\SOFTWARE\orvex\Setup\Telvarin'
marker_key='HKLM\SOFTWARE\orvex\Telvarin'
environment_key='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
run_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
service_key='HKLM\SYSTEM\CurrentControlSet\Services\Telvarin'
wine() { "$WINELOADER" "$@" </dev/null 2>/dev/null; }
winpath() { echo "Z:${1//\//\\}"; }
msiexec() { local rc=0; wine msiexec "$@" /qn /l*v "$(winpath "$work/msiexec-${1#/}.log")" >/dev/null || rc=$?; echo "$rc"; }
utf16_grep() { iconv -f UTF-16 -t UTF-8 "$2" 2>/dev/null | grep -q "$1"; }
reg_value() { wine reg query "$1" /v "$2" | sed -n "s/^ *$2 *REG_[A-Z_]* *//p" | tr -d '\r'; }
has_key() { wine reg query "$1" >/dev/null; }
service_state() { wine sc query Telvarin | sed -n 's/.*STATE *: *\([0-9]\).*/\1/p'; }
installed_code() {  # the product code of the installed Telvarin, empty when none
  wine reg query "$uninstall_key" /s | tr -d '\r' |
    awk '/^HKEY_/ { n = split($0, part, "\\"); key = part[n] } /^ *DisplayName +REG_SZ +Telvarin$/ { print key; exit }' 
}
shortcut() { find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Telvarin.lnk' | head -1; }
wait_for() {  # seconds, command: polls the command until it succeeds
  local tries=$(($1 * 4)); shift
  until "$@"; do tries=$((tries - 1)); [ $tries -gt 0 ] || return 1; sleep 0.25; done
}
remove_leftover() {
  local code
  code=$(installed_code)
  [ -z "$code" ] || msiexec /x "$code" >/dev/null
  rm -rf "$program_dir"
}
trap remove_leftover EXIT

base=$(build_package "$version" "$work/base")
remove_leftover

# Every file and folder of the distribution folder is installed.
same_tree() {
  diff <(cd "$build/dist" && find . | sort) <(cd "$program_dir" && find . ! -path './LOG*' ! -name Telvarin.INI | sort) &&
    cmp -s "$build/dist/Telvarin.exe" "$program_dir/Telvarin.exe"
}
nothing_installed() {
  [ ! -e "$program_dir/Telvarin.exe" ] && [ ! -d "$program_dir/PluginDebug" ] && [ ! -d "$program_dir/Resource" ] &&
    [ -z "$(installed_code)" ] && [ -z "$(shortcut)" ] && ! has_key "$setup_key" && ! has_key "$marker_key" &&
    [ -z "$(reg_value "$run_key" Telvarin)" ] && [ -z "$(reg_value "$environment_key" QelConfig)" ] &&
    ! has_key "$service_key"
}

case $case in
service)
  expect "install with SERVICE=1 CONFIGLOCATION=registry succeeds" \
    [ "$(msiexec /i "$(winpath "$base")" SERVICE=1 CONFIGLOCATION=registry)" = 0 ]
  expect "every file and folder of build/dist is installed" same_tree
  code=$(installed_code)
  expect "Programs and Features: name, version, publisher, help link, location, icon" bash -c "
    [ '$(reg_value "$uninstall_key\\$code" DisplayVersion)' = '$version' ] &&
    [ '$(reg_value "$uninstall_key\\$code" Publisher)' = orvex ] &&
    [ '$(reg_value "$uninstall_key\\$code" HelpLink)' = http://www.orvex.example ] &&
    [ '$(reg_value "$uninstall_key\\$code" InstallLocation)' = 'C:\\Program Files\\orvex\\Telvarin\\' ] &&
    [ -n '$(wine reg query 'HKLM\Software\Classes\Installer\Products' /s /v ProductIcon | grep -i "$code")' ]"
  expect "a Start-menu shortcut" [ -n "$(shortcut)" ]
  expect "the service entry is the one -I makes" bash -c "
    [ '$(reg_value "$service_key" Type)' = 0x110 ] && [ '$(reg_value "$service_key" Start)' = 0x2 ] &&
    [ '$(reg_value "$service_key" ErrorControl)' = 0x1 ] && [ '$(reg_value "$service_key" DisplayName)' = Telvarin ] &&
    [ '$(reg_value "$service_key" Description)' = 'Telvarin Host' ] &&
    [ '$(reg_value "$service_key" ImagePath)' = '\"$program_win\"' ]"
  expect "the service runs" wait_for 30 bash -c "[ \"\$(LANG=C '$WINELOADER' sc query Telvarin </dev/null 2>/dev/null | grep -c 'STATE *: 4')\" = 1 ]"
  expect "the service host loaded its plug-ins (its trace file beside it)" \
    wait_for 30 bash -c "grep -qs 'CServiceWindow.End' '$program_dir'/LOG/Trace_*.log"
  expect "no per-user start with a service" [ -z "$(reg_value "$run_key" Telvarin)" ]
  expect "the registry marker for every user" has_key "$marker_key"
  # Settings beside the program and in the registry, as a host would have written them.
  printf '[General]\r\nKept=yes\r\n' >"$program_dir/Telvarin.INI"
  wine reg add 'HKCU\SOFTWARE\orvex\Telvarin\Telvarin\General' /v Kept /d yes /f >/dev/null

  higher_msi=$(build_package "$higher" "$work/higher")
  expect "upgrade without properties succeeds" [ "$(msiexec /i "$(winpath "$higher_msi")")" = 0 ]
  expect "the higher version is the one installed" \
    [ "$(reg_value "$uninstall_key\\$(installed_code)" DisplayVersion)" = "$higher" ]
  expect "the upgrade keeps the settings and the program's own files" bash -c "
    grep -q 'Kept=yes' '$program_dir/Telvarin.INI' && [ -f '$program_dir/LOG/StatusReport.ini' ] &&
    [ '$(reg_value 'HKCU\SOFTWARE\orvex\Telvarin\Telvarin\General' Kept)' = yes ] && [ '$(has_key "$marker_key" && echo 1)' = 1 ]"
  expect "the upgrade keeps the service, running" bash -c "
    [ '$(reg_value "$service_key" ImagePath)' = '\"$program_win\"' ] && [ '$(service_state)' = 4 ]"
  expect "the upgrade keeps the choices" bash -c "
    [ '$(reg_value "$setup_key" Service)' = 1 ] && [ '$(reg_value "$setup_key" ConfigLocation)' = registry ]"

  # 1603 (a launch condition failed) arrives cut to 8 bits under Wine.
  expect "a downgrade is refused with 1603" bash -c "[ '$(msiexec /i "$(winpath "$base")")' = $((1603 & 255)) ]"
  expect "after the refused downgrade the higher version stays, service running" bash -c "
    [ '$(reg_value "$uninstall_key\\$(installed_code)" DisplayVersion)' = '$higher' ] && [ '$(service_state)' = 4 ]"

  expect "uninstall succeeds" [ "$(msiexec /x "$(installed_code)")" = 0 ]
  expect "uninstall leaves nothing the package installed" nothing_installed
  expect "without PURGE=1 the program's own settings stay" grep -q 'Kept=yes' "$program_dir/Telvarin.INI"
  wine reg delete 'HKCU\SOFTWARE\orvex\Telvarin' /f >/dev/null || true
  ;;
tray)
  expect "an unknown CONFIGLOCATION is refused with 1603" \
    bash -c "[ '$(msiexec /i "$(winpath "$base")" CONFIGLOCATION=elsewhere)' = $((1603 & 255)) ] && [ -z '$(installed_code)' ]"
  expect "install with CONFIGLOCATION=program succeeds" [ "$(msiexec /i "$(winpath "$base")" CONFIGLOCATION=program)" = 0 ]
  expect "the host starts at log-on for every user" [ "$(reg_value "$run_key" Telvarin)" = "\"$program_win\"" ]
  expect "QelConfig=1 for the machine" [ "$(reg_value "$environment_key" QelConfig)" = 1 ]
  expect "no service" [ -z "$(service_state)" ]
  # Start the host as the log-on would; it keeps its settings beside itself, its logs per user.
  # The debug plug-in's daily files, in date order: the lines after those already there.
  traces="$WINEPREFIX/drive_c/users/$USER/AppData/Roaming/orvex/Telvarin/TelvarinHost/LOG/Trace_"
  traced=$(cat "$traces"*.log 2>/dev/null | wc -l)
  "$WINELOADER" "$program_win" </dev/null >/dev/null 2>&1 &
  host=$!
  expect "the installed host starts" wine "$build/tools/tvrctl.exe" wait 30
  # At trace level 4 the host's end is traced: the record was served.
  expect "the installed host takes a record" wine "$build/tools/tvrctl.exe" debuglevel 4
  wine "$build/tools/tvrctl.exe" close || true
  expect "the host ends" wait_for 30 test ! -d "/proc/$host"
  expect "the host served the record (its end traced at level 4)" \
    bash -c "cat '$traces'*.log | tail -n +$((traced + 1)) | grep -q 'Event.WM_DESTROY.Begin'"
  expect "settings beside the program" utf16_grep HighestVersion "$program_dir/Telvarin.INI"
  # What the program writes beside itself besides its settings.
  write_program_files() {
    mkdir -p "$program_dir/LOG" "$program_dir/CFG"
    for file in Telvarin._CRASHDUMP_20261209_120000.DMP Telvarin._HANGDUMP_20261209_120001.DMP XDOWNLOAD.EX_ \
                XDOWNLOAD.EXE LOG/ErrorLog.txt CFG/PluginDebugLog.ini; do
      echo written >"$program_dir/$file"
    done
  }
  write_program_files
  expect "uninstall with PURGE=1 succeeds" [ "$(msiexec /x "$(installed_code)" PURGE=1)" = 0 ]
  expect "uninstall leaves nothing the package installed" nothing_installed
  expect "with PURGE=1 nothing at all stays" [ ! -e "$(dirname "$program_dir")" ]
  # A file that an administrator put into the program folder is not the program's to purge.
  expect "install again succeeds" [ "$(msiexec /i "$(winpath "$base")" STARTUP=0)" = 0 ]
  write_program_files
  echo "the administrator's" >"$program_dir/Notes.txt"
  expect "uninstall with PURGE=1 succeeds again" [ "$(msiexec /x "$(installed_code)" PURGE=1)" = 0 ]
  expect "with PURGE=1 a file the program never writes stays, and nothing else" \
    [ "$(ls -A "$program_dir")" = Notes.txt ]
  rm -rf "$(dirname "$program_dir")"
  ;;
esac
exit $((failures > 0))
