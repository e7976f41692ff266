#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Windows packages end to end, under Wine. scripts/package --windows packs the build; the .zip
# must list exactly the programs, the licence and the README, both texts in CRLF. The installer,
# run silently in a scratch Wine prefix with a user PATH of its own, must install the programs
# (which answer --version from there), the Start menu entry and the uninstall entry, and with
# /ADDTOPATH=1 append the install folder to the PATH once however often it runs; the uninstaller,
# run silently, must leave none of it, and the PATH as it was.
# Usage: windows_installer_test.sh WINDOWS_BUILD_DIR VERSION with-plover|without-plover
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$1 version=$2 plover=$3
scratch=$(mktemp -d)
# Neither the user's Wine prefix nor their home: Wine links the prefix's folders into HOME's, and
# winemenubuilder would copy the Start menu entry into the desktop's menu.
export HOME="$scratch/home" WINEPREFIX="$scratch/prefix" PLOVER_WINEPREFIX="$scratch/prefix"
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" PLOVER_WINE_TIMEOUT=120
mkdir "$HOME"
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
cleanup() {
  "$wineserver" -k 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
wine() { "$top/scripts/wine-run" "$@"; }

mapfile -t made < <("$top/scripts/package" --windows "$build" "$scratch/packages")
name="plover30p-$version-win64"
zip="$scratch/packages/$name.zip" setup="$scratch/packages/$name-setup.exe"
[ "${made[*]}" = "$zip $setup" ] || fail "scripts/package --windows printed '${made[*]}'"

programs=(30p) listed=("$name/30p.exe" "$name/LICENSE.txt" "$name/README-windows.txt")
if [ "$plover" = with-plover ]; then
  programs+=(plover) listed+=("$name/plover.exe")
fi
[ "$(unzip -Z1 "$zip" | sort)" = "$(printf '%s\n' "${listed[@]}" | sort)" ] ||
  fail "the .zip lists $(unzip -Z1 "$zip" | tr '\n' ' ')"
for text in LICENSE.txt README-windows.txt; do
  unzip -p "$zip" "$name/$text" >"$scratch/$text"
  [ -s "$scratch/$text" ] || fail "$text is empty"
  if grep -qv $'\r$' "$scratch/$text"; then fail "$text has a line without CRLF"; fi
done

key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\plover30p'
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/plover.lnk"
user_path='C:\tools;%USERPROFILE%\bin'
wine reg add 'HKCU\Environment' /v Path /t REG_EXPAND_SZ /d "$user_path" /f >/dev/null
path_now() {
  wine reg query 'HKCU\Environment' /v Path | tr -d '\r' | sed -n 's/^ *Path  *REG_EXPAND_SZ  *//p'
}
unix_path() {
  local windows=${1#C:\\}
  echo "$WINEPREFIX/drive_c/${windows//\\//}"
}

# install_check_remove FOLDER PATH OPTIONS...: installs with OPTIONS into FOLDER (its Windows
# name), checks what is installed and that the user's PATH is PATH, uninstalls as Apps and features
# does, and checks that nothing is left.
install_check_remove() {
  local folder=$1 expected_path=$2
  shift 2
  wine "$setup" "$@" || fail "setup.exe $* exited with $?"
  for program in "${programs[@]}"; do
    local said
    said=$(wine "$folder\\$program.exe" --version | tr -d '\r')
    [ "$said" = "$program $version" ] || fail "$folder\\$program.exe --version said '$said'"
  done
  local entry
  entry=$(wine reg query "$key" | tr -d '\r')
  for value in "DisplayName    REG_SZ    30p and plover" "DisplayVersion    REG_SZ    $version" \
    "Publisher    REG_SZ    plover30p developers" "InstallLocation    REG_SZ    $folder" \
    "DisplayIcon    REG_SZ    $folder\\plover.ico" "NoModify    REG_DWORD    0x1" \
    "UninstallString    REG_SZ    \"$folder\\uninstall.exe\"" "NoRepair    REG_DWORD    0x1" \
    "QuietUninstallString    REG_SZ    \"$folder\\uninstall.exe\" /S"; do
    grep -qxF "    $value" <<<"$entry" || fail "the uninstall entry lacks '$value': $entry"
  done
  grep -qx '    EstimatedSize    REG_DWORD    0x[0-9a-f]*[1-9a-f][0-9a-f]*' <<<"$entry" ||
    fail "the uninstall entry has no EstimatedSize: $entry"
  [ "$plover" = with-plover ] && [ ! -f "$shortcut" ] && fail "no Start menu entry $shortcut"
  [ "$(path_now)" = "$expected_path" ] || fail "the PATH is '$(path_now)', not '$expected_path'"

  wine "$folder\\uninstall.exe" /S || fail "uninstall.exe /S exited with $?"
  # The uninstaller runs on from a copy of itself: the Wine server ends with the last program.
  timeout 120 "$wineserver" -w || fail "the uninstaller did not end"
  [ ! -e "$(unix_path "$folder")" ] || fail "$folder is left: $(ls "$(unix_path "$folder")")"
  [ ! -e "$shortcut" ] || fail "the Start menu entry is left"
  if wine reg query "$key" >/dev/null 2>&1; then fail "the uninstall entry is left"; fi
  [ "$(path_now)" = "$user_path" ] || fail "the uninstalled PATH is '$(path_now)'"
}

install_check_remove 'C:\Program Files\plover30p' "$user_path" /S
# Installed twice, over itself: the folder is in the PATH once.
wine "$setup" /S /ADDTOPATH=1 '/D=C:\plover-test' || fail "setup.exe /ADDTOPATH=1 exited with $?"
install_check_remove 'C:\plover-test' "$user_path;C:\\plover-test" /S /ADDTOPATH=1 \
  '/D=C:\plover-test'
status=0
wine "$setup" /S /ADDTOPATH=yes || status=$?
if [ $status -ne 2 ] || [ -e "$(unix_path 'C:\Program Files\plover30p')" ]; then
  fail "setup.exe /ADDTOPATH=yes exited with $status"
fi
echo "$name: .zip, silent install and uninstall, Start menu, uninstall entry and PATH good"
