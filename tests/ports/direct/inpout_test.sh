#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The direct port on Windows, under Wine, through a stand-in for InpOut's DLL that drives a
# virtual board at 0x378: 30p.exe loads the DLL from its own folder and writes, reads back and
# verifies an image; another address finds no board; a driver that is not running and a DLL in
# the current folder only are refused with what to do.
# Usage: inpout_test.sh 30p.exe FAKE_DLL
set -euo pipefail
program=$1
fake=$2
wine_run=$(cd "$(dirname "$0")/../../.." && pwd)/scripts/wine-run
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin" "$scratch/work"
cp "$program" "$scratch/bin/30p.exe"
cp "$fake" "$scratch/bin/inpoutx64.dll"
cd "$scratch/work"
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
run() { PLOVER_WINE_TIMEOUT=120 "$wine_run" "$@" > out 2> err; }

# Every byte value, the line ends among them.
for value in $(seq 0 127); do printf "\\$(printf %03o $(((value * 37 + 10) % 256)))"; done > image.bin
run ../bin/30p.exe --port direct --write image.bin --read back.bin || fail "write: $(cat err)"
cmp image.bin board.bin || fail "the board does not hold the image"
cmp image.bin back.bin || fail "the image read back differs"
grep -q "wrote 128 bytes, verified 128" err || fail "no verify line: $(cat err)"

if run ../bin/30p.exe --port direct:0x278 --verify image.bin; then fail "0x278 answered"; fi
grep -q "did not acknowledge" err || fail "0x278: $(cat err)"

if FAKE_INPOUT_DRIVER=stopped run ../bin/30p.exe --port direct --read x.bin; then
  fail "a stopped driver was used"
fi
grep -q "direct:0x378: the InpOut driver is not running" err || fail "stopped: $(cat err)"

# A DLL in the current folder is not one the program loads.
mv ../bin/inpoutx64.dll .
if run ../bin/30p.exe --port direct --read x.bin; then fail "the current folder's DLL was loaded"; fi
grep -q "inpoutx64.dll is not installed" err || fail "current folder: $(cat err)"
echo "direct port through InpOut: all checks passed"
