#!/usr/bin/env bash
# Creates (once) and prepares the Wine prefix of one OS family: xp or vista.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/wine-env.sh"
family="$1"
version="$(wine_version_of "$family")"
export WINEPREFIX="$(wine_prefix_of "$family")"
mkdir -p "$WINEPREFIX"
if ! [ -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-prefix: creating $WINEPREFIX"
    wineboot -i >/dev/null 2>&1
fi
wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f >/dev/null
# A run that was cut short may have left the tests' Explorer stand-in in place.
standin_remove "$WINEPREFIX"
wineserver -w
