#!/usr/bin/env bash
# Cross-builds the program for Windows with MinGW-w64 in Release and makes its installer with
# CPack's NSIS generator: <build dir>/extinguisher-calculator-VERSION-win64-setup.exe.
#
# It builds against the libraries of the Windows build's cache folders (deps.sh): Qt for MinGW
# (from the recipe's cache, else the shared archive, else built) and libxlsxwriter from Debian's
# source. WARNINGS_AS_ERRORS=ON makes the program's warnings errors.
# Usage: packaging/windows/build-installer.sh <build dir>
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=$(mkdir -p "$1" && cd "$1" && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
. packaging/windows/deps.sh

windows_ensure_qt
windows_ensure_xlsxwriter
prefixes="$(windows_qt_prefix);$(windows_xlsxwriter_prefix)"

echo "== the program, for Windows"
# The program's folder is the install folder itself: CMAKE_INSTALL_BINDIR is ".".
if [ -f "$dir/program/CMakeCache.txt" ] && ! grep -qF "$prefixes" "$dir/program/CMakeCache.txt"; then
    rm -f "$dir/program/CMakeCache.txt"
fi
PKG_CONFIG_LIBDIR=$(windows_xlsxwriter_prefix)/lib/pkgconfig \
    cmake -S . -B "$dir/program" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$windows_toolchain" \
    -DCMAKE_PREFIX_PATH="$prefixes" -DCMAKE_FIND_ROOT_PATH="$prefixes" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DBoost_INCLUDE_DIR="$(windows_boost_include)" -DBoost_NO_BOOST_CMAKE=ON \
    -DCMAKE_BUILD_TYPE=Release -DWITH_TESTS=OFF -DWITH_BENCH=OFF -DCMAKE_INSTALL_BINDIR=. \
    -DWARNINGS_AS_ERRORS="${WARNINGS_AS_ERRORS:-OFF}" >/dev/null
nice -n 10 cmake --build "$dir/program" -j "$jobs"

echo "== installer"
rm -f "$dir"/*-win64-setup.exe "$dir/program"/*-win64-setup.exe
(cd "$dir/program" && cpack)
mv "$dir/program"/*-win64-setup.exe "$dir"/
ls -l "$dir"/*-win64-setup.exe
