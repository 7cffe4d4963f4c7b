#!/usr/bin/env bash
# Inside an X display: the steps of the main job in the Vista-family prefix.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/wine-env.sh"
build="$1"
export WINEPREFIX="$(wine_prefix_of vista)"
trap 'wineserver -k 2>/dev/null || true' EXIT
wineserver -p
wine cmd /c exit >/dev/null 2>&1 </dev/null

wine "$build/bin/make_sample_history.exe"
echo "== VaroqMain list"
wine "$build/bin/VaroqMain.exe" list
echo "== VaroqMain icons"
rm -rf "$build/icons"
wine "$build/bin/VaroqMain.exe" icons "$(winepath -w "$build/icons" 2>/dev/null)"
ls "$build/icons" | head -3
echo "..."
