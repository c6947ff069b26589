#!/usr/bin/env bash
# Sets up a Debian 12 machine for the project, builds it, and then:
#   ./build.sh run     opens the calculator window
#   ./build.sh test    runs the whole test suite headless
#   ./build.sh bench   runs the benchmarks
#   ./build.sh fuzz [seconds]   runs the area-text, project-file and DXF-drawing fuzzers, each
#                               for the given time (clang, default 30 s)
#   ./build.sh package [check]  builds the Debian package in Release (build-package/*.deb);
#                               with "check", also checks it (packaging/check-package.sh)
#   ./build.sh tidy    runs clang-tidy (.clang-tidy) over every tracked .cpp file; fails on
#                      any finding
#   ./build.sh format-check     fails when a tracked .cpp or .h file differs from clang-format
#   ./build.sh windows-qt       cross-builds Qt for Windows from Debian's qtbase source into its
#                               cache folder (about 30 minutes; packaging/windows/deps.sh)
#   ./build.sh windows          cross-builds the program and its tests for Windows with MinGW-w64
#                               into build-windows/ (Qt from its cache, else from the shared archive
#                               beside the repository, else built)
#   ./build.sh windows-test     builds for Windows, then runs the whole test suite under Wine,
#                               headless, and compares an export with the Linux program's
#   ./build.sh windows-package [check]  the Windows installer from a Release cross-build
#                               (build-windows-package/*-win64-setup.exe); with "check", also
#                               installs, runs and uninstalls it under Wine
# SANITIZE=address,undefined ./build.sh test builds and tests with those sanitizers.
# Warnings are errors, except in the package build: WARNINGS_AS_ERRORS=ON makes them errors
# there too.
set -euo pipefail
cd "$(dirname "$0")"

packages=(cmake make g++ libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev libqt6svg6 qt6-translations-l10n fonts-wqy-zenhei fonts-arphic-gbsn00lp fonts-arphic-uming fonts-dejavu-core
          poppler-utils libxlsxwriter-dev pkg-config python3 python3-openpyxl libboost-dev
          python3-ezdxf python3-shapely librecad)
command=${1:-test}
if [ "$command" = bench ]; then
    packages+=(time xvfb)
elif [ "$command" = fuzz ]; then
    packages+=(clang libclang-rt-14-dev)
elif [ "$command" = tidy ]; then
    packages+=(clang-tidy)
elif [ "$command" = format-check ]; then
    packages=(clang-format)
elif [ "$command" = windows-qt ] || [ "$command" = windows ] || [ "$command" = windows-test ]; then
    packages+=(g++-mingw-w64-x86-64-posix libz-mingw-w64-dev qt6-base-dev-tools googletest
               ninja-build dpkg-dev xz-utils librsvg2-bin icoutils wine wine64)
elif [ "$command" = package ]; then
    packages+=(dpkg-dev file)
    if [ "${2:-}" = check ]; then
        packages+=(lintian desktop-file-utils appstream)
    fi
fi

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
}

jobs=$(nproc 2>/dev/null || echo 2)

build() {  # build <dir> [cmake options...]
    local dir=$1
    shift
    cmake -S . -B "$dir" -DWARNINGS_AS_ERRORS=ON "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

install_missing
case "$command" in
    test)
        if [ -n "${SANITIZE:-}" ]; then
            dir=build-sanitize
            build "$dir" -DSANITIZE="$SANITIZE" -DWITH_BENCH=OFF
        else
            dir=build
            build "$dir"
        fi
        QT_QPA_PLATFORM=offscreen ctest --test-dir "$dir" --output-on-failure -j "$jobs"
        ;;
    run)
        build build
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
            echo "No display found (DISPLAY and WAYLAND_DISPLAY are not set): the calculator window cannot open here." >&2
            exit 1
        fi
        exec build/app/extinguisher-calculator
        ;;
    bench)
        build build
        build/bench/core_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
        build/bench/placement_bench
        build/bench/project_bench
        build/bench/outputs_bench
        build/bench/project_window_bench
        build/bench/plan_view_bench
        bench/startup.sh build
        ;;
    fuzz)
        seconds=${2:-30}
        CXX=clang++ build build-fuzz -DWITH_GUI=OFF -DWITH_BENCH=OFF -DWITH_FUZZ=ON \
            -DSANITIZE=address,undefined -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link
        corpus=$(mktemp -d)
        mkdir "$corpus/area" "$corpus/project" "$corpus/dxf"
        printf '1000' >"$corpus/area/area"
        printf '%s' '{"format": "fire-extinguisher-project", "version": 4, "name": "工程",
 "info": {"number": "GC-01", "stage": "施工图设计", "checkedBy": "校对", "date": "2026-12-07"},
 "units": [{"name": "办公室", "location": "一层", "fireClass": "A", "hazard": "medium",
            "factor": 0.9, "building": "aboveGround", "area": 1500,
            "agent": "ammoniumPhosphatePowder", "model": "MF/ABC3", "points": 2,
            "outline": [[0, 0], [50, 0], [50, 30], [0, 30]],
            "plan": {"file": "一层.dxf", "layer": "房间", "handle": "2F", "unit": "mm"},
            "setPoints": [[12.5, 15], [37.5, 15]]}]}' \
            >"$corpus/project/project.fep"
        build-fuzz/tests/area_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
            "$corpus/area"
        build-fuzz/tests/project_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
            "$corpus/project"
        # The small test drawings (written by the build) are the drawings' seeds.
        cp build-fuzz/tests/plans/minimal.dxf build-fuzz/tests/plans/r12.dxf \
            build-fuzz/tests/plans/r2000_gbk.dxf build-fuzz/tests/wall_plans/apartment.dxf \
            build-fuzz/tests/wall_plans/blocks.dxf "$corpus/dxf"
        build-fuzz/tests/dxf_fuzzer -max_total_time="$seconds" -print_final_stats=1 \
            -dict=tests/dxf_fuzzer.dict "$corpus/dxf"
        rm -rf "$corpus"
        ;;
    package)
        dir=build-package
        build "$dir" -DCMAKE_BUILD_TYPE=Release -DWITH_TESTS=OFF -DWITH_BENCH=OFF \
            -DWARNINGS_AS_ERRORS="${WARNINGS_AS_ERRORS:-OFF}"
        rm -f "$dir"/*.deb
        (cd "$dir" && cpack -G DEB)
        if [ "${2:-}" = check ]; then
            packaging/check-package.sh "$dir"
        fi
        ;;
    windows-package)
        # ./build.sh windows-package [check]: the Windows installer, a Release cross-build with
        # MinGW-w64 made into build-windows-package/extinguisher-calculator-*-win64-setup.exe
        # (packaging/windows/build-installer.sh); with "check", also installed, run and
        # uninstalled under Wine (packaging/windows/check-installer.sh).
        packages=(cmake g++-mingw-w64-x86-64-posix mingw-w64-tools libz-mingw-w64-dev
                  qt6-base-dev-tools libboost-dev ninja-build dpkg-dev xz-utils nsis librsvg2-bin
                  icoutils wine wine64 file poppler-utils python3-openpyxl locales)
        install_missing
        packaging/windows/build-installer.sh build-windows-package
        if [ "${2:-}" = check ]; then
            packaging/windows/check-installer.sh build-windows-package
        fi
        ;;
    tidy)
        # The build's compile_commands.json gives each file its flags; the fuzzers, which only
        # the clang fuzz build compiles, get those of their neighbours. The build's own warnings
        # come from g++ with -Werror; clang's differ and are not this check's business, so they
        # stay warnings that the check list filters out.
        build build
        git ls-files -z '*.cpp' |
            xargs -0 -n 1 -P "$jobs" clang-tidy -p build --quiet --warnings-as-errors='*' \
                --extra-arg=-Wno-error 2>&1 |
            { grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' || true; }
        ;;
    windows-qt)
        . packaging/windows/deps.sh
        windows_build_qt
        ;;
    windows | windows-test)
        . packaging/windows/deps.sh
        windows_build build-windows
        if [ "$command" = windows-test ]; then
            build build  # the Linux program, whose export the Windows one's is compared with
            packaging/windows/run-tests.sh build-windows build
        fi
        ;;
    format-check)
        git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
        ;;
    *)
        echo "usage: $0 run|test|bench|fuzz [seconds]|package [check]|tidy|format-check|windows-qt|windows|windows-test|windows-package [check]" >&2
        exit 2
        ;;
esac
