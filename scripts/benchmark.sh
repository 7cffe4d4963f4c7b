#!/usr/bin/env bash
# Builds and runs every benchmark under Wine (Vista family) and prints their figures.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(dirname "$here")"
build="${VAROQ_BUILD_DIR:-$top/build}"
"$here/setup-host.sh"
"$here/build.sh" "$build" >/dev/null
"$here/wine-prefix.sh" vista
for program in "$build"/benchmarks/*.exe; do
    echo "== $(basename "$program")"
    "$here/wine-run" vista "$program"
done
