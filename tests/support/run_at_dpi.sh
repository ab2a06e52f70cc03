#!/usr/bin/env bash
# Runs a Windows test program of this build on a display of another DPI: in a
# copy of the build's Wine prefix whose LogPixels (the DPI Wine reports) is
# changed, with a wineserver of its own that ends with the run. The program
# learns the DPI it must see from KESTREL_EXPECT_DPI, so that a prefix that did
# not take the setting fails the run instead of passing it at 96.
# Usage: run_at_dpi.sh <dpi> <build's prefix> <work folder> <wine-run> <program> [arguments...]
set -euo pipefail
dpi=$1 base=$2 work=$3 run=$4
shift 4

export WINEPREFIX="$work/prefix-$dpi"
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX"
trap 'wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"' EXIT
if [ -f "$base/system.reg" ]; then
    # The system's files are linked, not copied: there are many, and they are only read.
    cp -al "$base/drive_c" "$WINEPREFIX/"
    cp -a "$base"/*.reg "$base/.update-timestamp" "$base/dosdevices" "$WINEPREFIX/"
else
    # The build's prefix is not made yet (CTest run by hand): a prefix of its own.
    "$run" wineboot.exe -i </dev/null >/dev/null 2>&1
fi
"$run" reg.exe add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
KESTREL_EXPECT_DPI=$dpi "$run" "$@"
