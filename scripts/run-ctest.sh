#!/usr/bin/env bash
# Runs ctest with a persistent, warmed Wine server per prefix. Started inside ctest, Wine's
# background processes would inherit the test's output pipes and make ctest wait for them.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/wine-env.sh"
build="$1"; shift

standin="$build/tests/bin/explorer_standin.exe"

stop_servers() {
    for family in xp vista; do
        prefix="$(wine_prefix_of "$family")"
        standin_remove "$prefix"
        WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
    done
}
trap stop_servers EXIT
for family in xp vista; do
    export WINEPREFIX="$(wine_prefix_of "$family")"
    wineserver -p
    wine cmd /c exit >/dev/null 2>&1 </dev/null
    # Starts Wine's desktop, which stays for the life of the server.
    wine "$standin" --warm-up >/dev/null 2>&1 </dev/null
    standin_install "$WINEPREFIX" "$standin"
done
unset WINEPREFIX
ctest --test-dir "$build" --output-on-failure -j 2 "$@"
