#!/usr/bin/env bash
# Times start-up to the first painted frame on an Xvfb display of its own: the calculator
# against a reference window that shows one line of Chinese text, run alternately. Reports for
# each the median time from process start to the first paint (and the middle half of the
# times), the median processor time to then (less disturbed by other load on the machine) and
# the median peak resident memory, then the ratios of the medians and the memory difference.
# The saved choices go to a temporary folder.
# Usage: bench/startup.sh <build dir> [runs] [application font families...]
# Families, when given, become the calculator's application font (see bench/startup.cpp).
set -euo pipefail
binary="$1/bench/startup_bench"
runs=${2:-30}
shift $(($# < 2 ? $# : 2))

work=$(mktemp -d)
xvfb=""
cleanup() {
    if [ -n "$xvfb" ]; then
        kill "$xvfb" 2>/dev/null || true
        wait "$xvfb" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME="$work/config"
mkdir -p "$XDG_CONFIG_HOME"

# Xvfb picks a free display and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
    grep -q . "$work/display" 2>/dev/null && break
    sleep 0.1
done
if ! grep -q . "$work/display"; then
    echo "Xvfb did not start (./build.sh bench installs it)" >&2
    exit 1
fi
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
export QT_QPA_PLATFORM=xcb

run() {  # run <results file> [args]: appends "wall_us cpu_us peak_kib" of one process
    local results=$1
    shift
    local start=${EPOCHREALTIME/./} painted cpu
    /usr/bin/time -f '%M' -o "$work/peak" "$binary" "$@" >"$work/stamp" 2>/dev/null
    read -r painted cpu <"$work/stamp"
    echo "$((painted - start)) $cpu $(tail -n 1 "$work/peak")" >>"$results"
}

# One unmeasured run of each fills the file caches.
run /dev/null calculator "$@"
run /dev/null reference
for _ in $(seq "$runs"); do
    run "$work/calculator" calculator "$@"
    run "$work/reference" reference
done

# median <results file> <column> [quartile]: the median (or 1st/3rd quartile) of one column
quantile() {
    cut -d ' ' -f "$2" "$1" | sort -n | awk -v q="${3:-2}" '{ v[NR] = $1 }
        END { print v[int((q * NR + 3) / 4)] }'
}
summary() {  # summary <label> <results file>: one line; sets the globals of the ratio line
    local wall cpu peak
    wall=$(quantile "$2" 1)
    cpu=$(quantile "$2" 2)
    peak=$(quantile "$2" 3)
    awk -v l="$1" -v w="$wall" -v a="$(quantile "$2" 1 1)" -v b="$(quantile "$2" 1 3)" \
        -v c="$cpu" -v p="$peak" 'BEGIN {
            printf "%-11s median %.1f ms to the first frame (middle half %.1f-%.1f), processor %.1f ms, peak %.1f MiB\n",
                l ":", w / 1000, a / 1000, b / 1000, c / 1000, p / 1024 }'
    echo "$wall $cpu $peak" >"$work/$1.median"
}

echo "start-up to the first painted frame, $runs runs each, alternating:"
summary calculator "$work/calculator"
summary reference "$work/reference"
read -r calc_wall calc_cpu calc_kib <"$work/calculator.median"
read -r ref_wall ref_cpu ref_kib <"$work/reference.median"
awk -v cw="$calc_wall" -v rw="$ref_wall" -v cc="$calc_cpu" -v rc="$ref_cpu" \
    -v ck="$calc_kib" -v rk="$ref_kib" 'BEGIN {
        printf "ratio %.3f (processor %.3f), memory difference %+.1f MiB\n", cw / rw, cc / rc,
            (ck - rk) / 1024 }'
