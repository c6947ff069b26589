# The libraries of the Windows build, cross-built with MinGW-w64 from Debian's sources and kept in
# a cache folder each: Qt (qtbase), libxlsxwriter and GoogleTest. Sourced by build.sh and the
# scripts beside it.
#
# A folder's name is its key: the library's version, the MinGW g++ version and a hash of the
# recipe that built it, so that a changed recipe or compiler builds anew beside the old one.
# Each is built in a scratch folder and moved into place only when complete.

windows_recipes=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
windows_toolchain=$windows_recipes/mingw-w64-x86_64-posix.cmake
windows_cache=${XDG_CACHE_HOME:-$HOME/.cache}/extinguisher-calculator/windows
# The Qt archive shared beside the repository: a cache of this recipe's result.
windows_shared=$(dirname "$(dirname "$(dirname "$windows_recipes")")")/shared/windows
windows_qt_archive=qt6-mingw-6.4.2-x86_64.tar.xz
# Debian's source of libxlsxwriter, as bookworm has it.
windows_xlsxwriter_source=1.1.4-2
windows_cores=${jobs:-2}

windows_gcc_version() {
    x86_64-w64-mingw32-g++-posix -dumpfullversion
}

windows_hash() {  # windows_hash FILE...: a short hash of the files' bytes
    cat "$@" | sha256sum | cut -c 1-12
}

# Debian's version of a package as its upstream's: 6.4.2 of 6.4.2+dfsg-10.
windows_upstream_version() {
    dpkg-query -W -f='${Version}' "$1" | sed -e 's/^[0-9]*://' -e 's/[+~-].*//'
}

# The Qt of the recipe: the version of the host's Qt tools, which must match it.
windows_qt_prefix() {
    echo "$windows_cache/qt-$(windows_upstream_version qt6-base-dev-tools)-gcc$(windows_gcc_version)-$(windows_hash "$windows_recipes/configure-qtbase.sh" "$windows_toolchain")"
}

# The other libraries' recipes are the functions below that build them.
windows_xlsxwriter_prefix() {
    echo "$windows_cache/xlsxwriter-${windows_xlsxwriter_source%-*}-gcc$(windows_gcc_version)-$(windows_hash <(declare -f windows_ensure_xlsxwriter) "$windows_toolchain")"
}

windows_gtest_prefix() {
    echo "$windows_cache/gtest-$(windows_upstream_version googletest)-gcc$(windows_gcc_version)-$(windows_hash <(declare -f windows_ensure_gtest) "$windows_toolchain")"
}

# Fetches a Debian source package of bookworm into the current folder, through a sources file and
# lists folder of its own: the system's apt settings are left as they are.
windows_apt_source() {  # windows_apt_source PACKAGE[=VERSION]
    local apt=$windows_cache/apt
    mkdir -p "$apt/lists/partial" "$apt/sources.list.d"
    cat >"$apt/sources.list.d/bookworm-src.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    local options=(-o "APT::Sandbox::User=$(id -un)" -o "Dir::Etc::SourceList=/dev/null"
                   -o "Dir::Etc::SourceParts=$apt/sources.list.d"
                   -o "Dir::State::Lists=$apt/lists")
    apt-get "${options[@]}" update -qq
    apt-get "${options[@]}" source -qq "$1"
}

# Moves a finished build into its cache folder; another build that finished first wins.
windows_settle() {  # windows_settle SCRATCH_PREFIX PREFIX
    mkdir -p "$(dirname "$2")"
    mv -T "$1" "$2" 2>/dev/null || [ -d "$2" ]
}

# The recipe: Debian's qtbase source of the host tools' version, configured by
# configure-qtbase.sh, built and installed, with Qt's Chinese texts from
# qt6-translations-l10n as the shared archive has them. Stops after configuring with
# WINDOWS_QT_CONFIGURE_ONLY=1.
windows_build_qt() {
    local prefix scratch
    prefix=$(windows_qt_prefix)
    scratch=$(mktemp -d "$windows_cache/qt-build.XXXXXX")
    echo "Building Qt for Windows into $prefix (about 30 minutes on 2 cores)"
    (cd "$scratch" && windows_apt_source "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)")
    local src
    src=$(find "$scratch" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*')
    SRC=$src BUILD=$scratch/build PREFIX=$scratch/install \
        nice -n 10 "$windows_recipes/configure-qtbase.sh"
    if [ "${WINDOWS_QT_CONFIGURE_ONLY:-}" = 1 ]; then
        echo "Configured in $scratch/build"
        return
    fi
    nice -n 10 cmake --build "$scratch/build" -j "$windows_cores"
    cmake --install "$scratch/build" >/dev/null
    mkdir -p "$scratch/install/translations"
    cp /usr/share/qt6/translations/qtbase_zh_CN.qm /usr/share/qt6/translations/qt_zh_CN.qm \
        "$scratch/install/translations/"
    windows_compare_qt "$scratch/install"
    windows_settle "$scratch/install" "$prefix"
    rm -rf "$scratch"
}

# The features a Qt was configured with, as its qmake files list them.
windows_qt_features() {  # windows_qt_features PREFIX
    cat "$1"/mkspecs/qconfig.pri "$1"/mkspecs/modules/qt_lib_*.pri |
        grep -E '^(QT\.[a-z_]+\.)?(enabled_features|disabled_features|QT_CONFIG)' | sort
}

# The recipe's Qt must be the shared archive's, feature for feature: the archive is a cache of it.
windows_compare_qt() {  # windows_compare_qt PREFIX
    [ -f "$windows_shared/$windows_qt_archive" ] || return 0
    local shared
    shared=$(mktemp -d)
    tar -xJf "$windows_shared/$windows_qt_archive" -C "$shared" qt6-mingw/mkspecs
    if ! diff <(windows_qt_features "$shared/qt6-mingw") <(windows_qt_features "$1"); then
        echo "The Qt built differs from the shared archive's in the features above" >&2
        rm -rf "$shared"
        return 1
    fi
    rm -rf "$shared"
    echo "The Qt built has the shared archive's features"
}

# The shared archive unpacked, once its checksum is right.
windows_unpack_qt() {
    local prefix scratch
    prefix=$(windows_qt_prefix)
    echo "Unpacking the shared Qt for Windows into $prefix"
    (cd "$windows_shared" && sha256sum --quiet -c SHA256SUMS)
    mkdir -p "$windows_cache"
    scratch=$(mktemp -d "$windows_cache/qt-unpack.XXXXXX")
    tar -xJf "$windows_shared/$windows_qt_archive" -C "$scratch"
    windows_settle "$scratch/qt6-mingw" "$prefix"
    rm -rf "$scratch"
}

windows_ensure_qt() {
    [ -d "$(windows_qt_prefix)" ] && return
    if [ -f "$windows_shared/$windows_qt_archive" ] && [ -f "$windows_shared/SHA256SUMS" ]; then
        windows_unpack_qt
    else
        windows_build_qt
    fi
}

# Static libxlsxwriter from Debian's source, its bundled minizip, zlib from libz-mingw-w64-dev.
# Installed under its cache folder's name (its pkg-config file names it), then moved there.
windows_ensure_xlsxwriter() {
    local prefix scratch
    prefix=$(windows_xlsxwriter_prefix)
    [ -d "$prefix" ] && return
    echo "Building libxlsxwriter for Windows into $prefix"
    mkdir -p "$windows_cache"
    scratch=$(mktemp -d "$windows_cache/xlsxwriter-build.XXXXXX")
    (cd "$scratch" && windows_apt_source "libxlsxwriter=$windows_xlsxwriter_source")
    local src
    src=$(find "$scratch" -mindepth 1 -maxdepth 1 -type d -name 'libxlsxwriter-*')
    nice -n 10 cmake -S "$src" -B "$scratch/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$windows_toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
        -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DUSE_SYSTEM_MINIZIP=OFF >/dev/null
    nice -n 10 cmake --build "$scratch/build" -j "$windows_cores" >/dev/null
    DESTDIR=$scratch/install cmake --install "$scratch/build" >/dev/null
    windows_settle "$scratch/install$prefix" "$prefix"
    rm -rf "$scratch"
}

# Static GoogleTest and GoogleMock from googletest's source in /usr/src.
windows_ensure_gtest() {
    local prefix scratch
    prefix=$(windows_gtest_prefix)
    [ -d "$prefix" ] && return
    echo "Building GoogleTest for Windows into $prefix"
    mkdir -p "$windows_cache"
    scratch=$(mktemp -d "$windows_cache/gtest-build.XXXXXX")
    nice -n 10 cmake -S /usr/src/googletest -B "$scratch/build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$windows_toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF >/dev/null
    nice -n 10 cmake --build "$scratch/build" -j "$windows_cores" >/dev/null
    DESTDIR=$scratch/install cmake --install "$scratch/build" >/dev/null
    windows_settle "$scratch/install$prefix" "$prefix"
    rm -rf "$scratch"
}

# Boost's headers (Debian's libboost-dev; the program uses only header-only parts), in a folder of
# their own, so that the MinGW build sees no other header of the system's.
windows_boost_include() {
    local folder
    folder=$windows_cache/boost-$(windows_upstream_version libboost-dev)/include
    if [ ! -e "$folder/boost" ]; then
        mkdir -p "$folder"
        ln -sfn /usr/include/boost "$folder/boost"
    fi
    echo "$folder"
}

# Configures and builds the program and its tests for Windows in the folder given, warnings as
# errors, with the cached libraries.
windows_build() {  # windows_build DIR
    windows_ensure_qt
    windows_ensure_xlsxwriter
    windows_ensure_gtest
    local prefixes
    prefixes="$(windows_qt_prefix);$(windows_xlsxwriter_prefix);$(windows_gtest_prefix)"
    # pkg-config's findings stay in the cache: a build of other libraries configures anew.
    if [ -f "$1/CMakeCache.txt" ] && ! grep -qF "$prefixes" "$1/CMakeCache.txt"; then
        rm -f "$1/CMakeCache.txt"
    fi
    PKG_CONFIG_LIBDIR=$(windows_xlsxwriter_prefix)/lib/pkgconfig \
        nice -n 10 cmake -S . -B "$1" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$windows_toolchain" \
        -DCMAKE_PREFIX_PATH="$prefixes" -DCMAKE_FIND_ROOT_PATH="$prefixes" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DBoost_INCLUDE_DIR="$(windows_boost_include)" -DBoost_NO_BOOST_CMAKE=ON \
        -DWARNINGS_AS_ERRORS=ON -DWITH_BENCH=OFF >/dev/null
    nice -n 10 cmake --build "$1" -j "$windows_cores"
}
