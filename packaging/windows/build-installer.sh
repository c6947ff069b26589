#!/usr/bin/env bash
# Cross-builds the program for Windows with MinGW-w64 in Release and makes its installer with
# CPack's NSIS generator: <build dir>/extinguisher-calculator-VERSION-win64-setup.exe.
#
# What it builds against, made once and kept in the build folder:
#   - Qt for MinGW, unpacked from the archive in the shared windows folder (checked against its
#     SHA256SUMS);
#   - libxlsxwriter, built static for MinGW from Debian's source package, with Debian's zlib for
#     MinGW.
# WINDOWS_SHARED names the shared windows folder (../shared/windows by default); QT_MINGW and
# MINGW_DEPS name a Qt and a prefix with libxlsxwriter made elsewhere, to build against those.
# WARNINGS_AS_ERRORS=ON makes the program's warnings errors.
# Usage: packaging/windows/build-installer.sh <build dir>
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=$(mkdir -p "$1" && cd "$1" && pwd)
shared=${WINDOWS_SHARED:-$(cd .. && pwd)/shared/windows}
# The repository's toolchain file where it has one, else the shared folder's.
toolchain=$PWD/packaging/windows/mingw-w64-x86_64-posix.cmake
[ -f "$toolchain" ] || toolchain=$shared/mingw-w64-x86_64-posix.cmake
jobs=$(nproc 2>/dev/null || echo 2)
[ -f "$toolchain" ] || { echo "build-installer: no $toolchain" >&2; exit 1; }

qt=${QT_MINGW:-}
if [ -z "$qt" ]; then
    qt=$dir/qt6-mingw
    if [ ! -f "$qt/.unpacked" ]; then
        echo "== Qt for MinGW"
        (cd "$shared" && sha256sum --check --ignore-missing --quiet SHA256SUMS)
        rm -rf "$qt"
        tar -xJf "$shared"/qt6-mingw-6.4.2-x86_64.tar.xz -C "$dir"
        touch "$qt/.unpacked"
    fi
fi

deps=${MINGW_DEPS:-}
if [ -z "$deps" ]; then
    deps=$dir/mingw-deps
    if [ ! -f "$deps/lib/libxlsxwriter.a" ]; then
        echo "== libxlsxwriter for MinGW, from Debian's source"
        # Debian's source packages, through a sources list and package lists of this build's
        # own, so that the system's are left as they are.
        apt=$dir/apt
        rm -rf "$apt" "$dir"/libxlsxwriter-*
        mkdir -p "$apt/lists/partial" "$apt/sources"
        cat >"$apt/sources/debian-sources.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        apt_options=(-o "Dir::Etc::SourceParts=$apt/sources" -o Dir::Etc::SourceList=/dev/null
                     -o "Dir::State::Lists=$apt/lists" -o APT::Sandbox::User=root)
        apt-get "${apt_options[@]}" update -qq
        (cd "$dir" && apt-get "${apt_options[@]}" source -qq libxlsxwriter >/dev/null)
        source=$(find "$dir" -maxdepth 1 -type d -name 'libxlsxwriter-*' | head -n 1)
        cmake -S "$source" -B "$dir/libxlsxwriter-build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
            -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$deps" \
            >/dev/null
        cmake --build "$dir/libxlsxwriter-build" -j "$jobs" >/dev/null
        cmake --install "$dir/libxlsxwriter-build" >/dev/null
    fi
fi

echo "== the program, for Windows"
# The program's folder is the install folder itself: CMAKE_INSTALL_BINDIR is ".".
export PKG_CONFIG_LIBDIR=$deps/lib/pkgconfig:/usr/x86_64-w64-mingw32/lib/pkgconfig
cmake -S . -B "$dir/program" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_PREFIX_PATH="$qt" -DCMAKE_FIND_ROOT_PATH="$qt;$deps" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DPKG_CONFIG_EXECUTABLE=/usr/bin/x86_64-w64-mingw32-pkg-config \
    -DCMAKE_BUILD_TYPE=Release -DWITH_TESTS=OFF -DWITH_BENCH=OFF -DCMAKE_INSTALL_BINDIR=. \
    -DWARNINGS_AS_ERRORS="${WARNINGS_AS_ERRORS:-OFF}" >/dev/null
cmake --build "$dir/program" -j "$jobs"

echo "== installer"
rm -f "$dir"/*-win64-setup.exe "$dir/program"/*-win64-setup.exe
(cd "$dir/program" && cpack)
mv "$dir/program"/*-win64-setup.exe "$dir"/
ls -l "$dir"/*-win64-setup.exe
