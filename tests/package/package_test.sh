#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package end to end. Packs the build with its CPack configuration and checks the
# control fields; installs it with dpkg when run as root on a machine that has neither the
# package nor any of its files (else unpacks it into a scratch root); runs both programs from the
# installed paths; lints the manual pages and the desktop entry; removes the package and checks
# its files are gone. The package never stays installed, even when a check fails half way.
# Usage: package_test.sh BUILD_DIR VERSION shipped|sanitized
set -euo pipefail
build=$1 version=$2
if [ "${3:-shipped}" = sanitized ]; then
  echo "a sanitized build is not what is shipped: not packed"
  exit 77
fi
scratch=$(mktemp -d)
installed=no
cleanup() {
  if [ $installed = yes ] && ! dpkg --purge plover30p >/dev/null; then
    echo "FAIL: could not remove plover30p again" >&2
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch/cpack" \
  -D CPACK_OUTPUT_FILE_PREFIX="$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack could not make the package"; }
deb="$scratch/plover30p_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb"

field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = plover30p ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
[ "$(field Section)" = electronics ] || fail "Section is $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
for needed in adduser libc6 libstdc++6 libqt6widgets6; do
  field Depends | grep -q "\b$needed\b" || fail "Depends lacks $needed: $(field Depends)"
done

files=(/usr/bin/30p /usr/bin/plover /usr/share/applications/plover.desktop
  /usr/share/icons/hicolor/scalable/apps/plover.svg /usr/share/man/man1/30p.1.gz
  /usr/share/man/man1/plover.1.gz /usr/lib/udev/rules.d/70-plover-parport-i2c.rules
  /usr/lib/udev/rules.d/70-plover-usb-programmers.rules /usr/share/doc/plover30p/copyright)

# Installs for real only where nothing of a package or a `cmake --install` of the user's is lost.
none_present() {
  for file in "${files[@]}"; do [ ! -e "$file" ] || return 1; done
}
root="$scratch/root"
if [ "$(id -u)" -eq 0 ] && [ -w /var/lib/dpkg ] && none_present &&
  ! dpkg-query -W plover30p >/dev/null 2>&1; then
  installed=yes mode=dpkg
  dpkg -i "$deb" >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log" >&2; fail "dpkg -i"; }
  root=""
  getent group i2c >/dev/null || fail "the package made no i2c group"
else
  mode=unpacked
  echo "not root, or plover30p or its files already here: unpacked into $root"
  dpkg-deb -x "$deb" "$root"
fi

for file in "${files[@]}"; do
  [ -f "$root$file" ] || fail "$root$file was not installed"
done
[ "$("$root/usr/bin/30p" --version)" = "30p $version" ] || fail "30p --version"
[ "$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/plover" --version)" = "plover $version" ] ||
  fail "plover --version"

# Every option --help names is in the manual page, which groff reads without a warning.
for program in 30p plover; do
  page=$(zcat "$root/usr/share/man/man1/$program.1.gz")
  warnings=$(groff -man -ww -z <<<"$page" 2>&1)
  [ -z "$warnings" ] || fail "groff on $program.1: $warnings"
  for option in $(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --help |
    grep -o -- '--[a-z][a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" <<<"$page" || fail "$program.1 does not describe $option"
  done
done
desktop-file-validate "$root/usr/share/applications/plover.desktop" ||
  fail "desktop-file-validate"

if [ $installed = yes ]; then
  dpkg --purge plover30p >"$scratch/dpkg.log" 2>&1 || { cat "$scratch/dpkg.log" >&2; fail "purge"; }
  installed=no
  none_present || fail "files are left after dpkg --purge"
fi
echo "$(basename "$deb"): fields, files, both programs, manual pages and desktop entry good ($mode)"
