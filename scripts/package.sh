#!/usr/bin/env bash
# Makes the installer package of each distribution folder (build/dist, and build/i686/dist where
# the 32-bit product was built beside it): build/package/Telvarin-<version>.msi for the 32-bit
# product, Telvarin-<version>-x64.msi for an x86_64 build; and TelvarinSDK-<version>.zip from
# build/sdk when it exists. The same commit gives the same bytes.
#
#   TVR_SIGN_CERT, TVR_SIGN_KEY   certificate and key (PEM or DER) to sign the program, every DLL
#                                 and the package with; TVR_SIGN_PASS the key's password
#   SOURCE_DATE_EPOCH             file and package times, and the signing time; without it the
#                                 commit's time (signatures then carry the time of signing)
#   TVR_PACKAGE_VERSION           another version for the package (tests build a higher one)
#   TVR_PACKAGE_DIR               output folder instead of build/package
# Arguments, when given, are the distribution folders to package.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${TVR_BUILD:-$root/build}
out=${TVR_PACKAGE_DIR:-$build/package}
tool="python3 $root/scripts/package.py"

field() { sed -n "s/^set(TVR_VERSION_$1 \([0-9]*\))/\1/p" "$root/cmake/TelvarinVersion.cmake"; }
# A value of the version resource; one it takes from the version file (@TVR_...@) is read there.
resource() {
  local value
  value=$(sed -n "s/.*VALUE \"$1\", *\"\([^\"]*\)\".*/\1/p" "$root/res/VersionInfo.rc.in")
  case $value in
    @TVR_*@) value=${value#@}; value=${value%@}
             sed -n "s/^set($value \"\([^\"]*\)\")/\1/p" "$root/cmake/TelvarinVersion.cmake" ;;
    *) printf '%s\n' "$value" ;;
  esac
}
version=${TVR_PACKAGE_VERSION:-$(field MAJOR).$(field MINOR).$(field PATCH).$(field BUILD)}
maker=$(resource CompanyName)
product=$(resource ProductName)
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || echo 315532800)}

sign=()
if [ -n "${TVR_SIGN_CERT:-}" ] && [ -n "${TVR_SIGN_KEY:-}" ]; then
  sign=(osslsigncode sign -certs "$TVR_SIGN_CERT" -key "$TVR_SIGN_KEY" -h sha256 -n "$product" -i http://www.orvex.example)
  [ -n "${TVR_SIGN_PASS:-}" ] && sign+=(-pass "$TVR_SIGN_PASS")
  [ -n "${SOURCE_DATE_EPOCH:-}" ] && sign+=(-time "$SOURCE_DATE_EPOCH")
fi
sign_file() {
  "${sign[@]}" -in "$1" -out "$1.signed" >/dev/null
  mv "$1.signed" "$1"
}

package() {
  local dist=$1 stage arch suffix msi queries=()
  [ -f "$dist/Telvarin.exe" ] || { echo "package.sh: no Telvarin.exe in $dist" >&2; return 1; }
  stage=$(mktemp -d "$out/.stage.XXXXXX")
  cp -a "$dist" "$stage/dist"
  if [ ${#sign[@]} -gt 0 ]; then
    while IFS= read -r -d '' f; do sign_file "$f"; done < <(find "$stage/dist" -type f \( -name Telvarin.exe -o -iname '*.dll' \) -print0 | sort -z)
  fi
  # wixl takes the files' times into the cabinet.
  find "$stage/dist" -exec touch -h -d "@$epoch" {} +
  (cd "$stage" && $tool source dist "$version" "$maker" "$product" >product.wxs)
  arch=x86 suffix=
  grep -q 'Win64="yes"' "$stage/product.wxs" && arch=x64 suffix=-x64
  (cd "$stage" && wixl -a "$arch" -o product.msi product.wxs)
  while IFS= read -r q; do queries+=(-q "$q"); done < <($tool tables "$stage/product.msi")
  msibuild "$stage/product.msi" "${queries[@]}"
  msibuild "$stage/product.msi" -s "$product $version" "$maker" "$([ $arch = x64 ] && echo x64 || echo Intel);1033" \
    "$($tool code "$stage/dist" "$version")"
  $tool times "$stage/product.msi" "$epoch"
  [ ${#sign[@]} -gt 0 ] && sign_file "$stage/product.msi"
  msi="$out/$product-$version$suffix.msi"
  mv "$stage/product.msi" "$msi"
  rm -rf "$stage"
  echo "$msi $(sha256sum "$msi" | cut -d' ' -f1)"
}

mkdir -p "$out"
if [ $# -eq 0 ]; then
  set -- "$build/dist"
  [ -f "$build/i686/dist/Telvarin.exe" ] && [ "$build/i686/dist" != "$build/dist" ] && set -- "$@" "$build/i686/dist"
fi
for dist in "$@"; do package "$dist"; done
if [ ${#sign[@]} -gt 0 ]; then
  echo "Signed: Telvarin.exe, every DLL and the package."
else
  echo "Nothing was signed: TVR_SIGN_CERT and TVR_SIGN_KEY are not set."
fi

if [ -d "$build/sdk" ]; then
  sdk="$out/${product}SDK-$version.zip"
  rm -f "$sdk"
  $tool zip "$build/sdk" "$sdk" "$epoch"
  echo "$sdk $(sha256sum "$sdk" | cut -d' ' -f1)"
else
  echo "No SDK archive: $build/sdk does not exist."
fi
