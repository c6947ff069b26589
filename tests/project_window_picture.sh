#!/bin/sh
# Draws docs/project-window.png, the project window with a placed floor plan beside its table, as
# the plan view's tests show it offscreen: tests/project_window_picture.sh [BUILD_DIR] (default
# build).
set -eu
cd "$(dirname "$0")/.."
build=${1:-build}
pictures=$(mktemp -d)
trap 'rm -rf "$pictures"' EXIT
QT_QPA_PLATFORM=offscreen PREVIEW_PICTURES="$pictures" "$build/tests/plan_view_tests" \
    --gtest_filter='PlacementTest.PlacesTheSelectedRoomsAsOneStep' >/dev/null 2>&1
mkdir -p docs
cp "$pictures/plan-placed.png" docs/project-window.png
echo docs/project-window.png
