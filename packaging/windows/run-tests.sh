#!/usr/bin/env bash
# run-tests.sh WINDOWS_BUILD LINUX_BUILD: runs the Windows build's test suite under Wine, headless
# (each test executable once, with all its cases, in a fresh Wine prefix: wine-run.sh), then
# compares the Windows program's export of a project with the Linux program's (cross-check.sh).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
windows_build=$(cd "$1" && pwd)
linux_build=$(cd "$2" && pwd)
WINE_RUN_FUNCTIONS=1 . "$here/wine-run.sh"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/windows-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# One prefix made here, copied for each run; one flat font folder.
echo "Preparing a Wine prefix"
make_template "$scratch/prefix"
make_font_folder "$scratch/fonts"
export WINE_TEMPLATE=$scratch/prefix WINE_FONTDIR=$scratch/fonts

status=0
nice -n 10 ctest --test-dir "$windows_build" --output-on-failure -j 2 --timeout 900 || status=$?
"$here/cross-check.sh" "$windows_build" "$linux_build" || status=1
exit "$status"
