#!/usr/bin/env bash
# The main job as far as it goes today: builds the deliverables, writes a sample tray history
# into the project's own Wine environment (Windows Vista family), and lets the manager list
# the history and write every entry's picture to build/icons/.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
top="$(dirname "$here")"
build="${VAROQ_BUILD_DIR:-$top/build}"

"$here/setup-host.sh"
"$here/build.sh" "$build" >/dev/null
"$here/wine-prefix.sh" vista
exec xvfb-run -a -s "-screen 0 1024x768x24" "$here/run-main.sh" "$build"
