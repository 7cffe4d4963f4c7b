#!/usr/bin/env bash
# The whole test suite: installs what is missing, builds, prepares both Wine prefixes and
# runs every test program under Wine set to Windows XP and to Windows Vista.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(dirname "$here")"
build="${VAROQ_BUILD_DIR:-$top/build}"

"$here/setup-host.sh"
"$here/build.sh" "$build"
for family in xp vista; do "$here/wine-prefix.sh" "$family"; done
exec xvfb-run -a -s "-screen 0 1024x768x24" "$here/run-ctest.sh" "$build" "$@"
