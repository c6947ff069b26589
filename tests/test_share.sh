#!/bin/sh
# The tests' share of the code: non-blank lines of the C++ files (.cpp, .h) under tests/ against
# those under core, io, documents, ui, app and platform. Run from anywhere: tests/test_share.sh
cd "$(dirname "$0")/.." || exit 1
count() {
    find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) -exec cat {} + | grep -c -v '^[[:space:]]*$'
}
tests=$(count tests)
code=$(count core io documents ui app platform)
awk -v t="$tests" -v c="$code" 'BEGIN { printf "tests %d, code %d: %.1f %%\n", t, c, 100 * t / c }'
