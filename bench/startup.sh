#!/usr/bin/env bash
# Times process start to first shown window, calculator against a bare Qt window, both
# offscreen, and reports the median wall time of each and their peak resident memory.
# Usage: bench/startup.sh <build dir> [runs]
set -euo pipefail
binary="$1/bench/startup_bench"
runs=${2:-20}
export QT_QPA_PLATFORM=offscreen
XDG_CONFIG_HOME=$(mktemp -d)
export XDG_CONFIG_HOME
trap 'rm -rf "$XDG_CONFIG_HOME"' EXIT

measure() {  # measure <label> [args]: prints "label median_ms peak_kib"
    local label=$1
    shift
    local times=() peak=0
    for _ in $(seq "$runs"); do
        local start end kib
        start=$(date +%s%N)
        /usr/bin/time -f '%M' -o "$XDG_CONFIG_HOME/peak" "$binary" "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        kib=$(tail -n 1 "$XDG_CONFIG_HOME/peak")
        times+=("$(( (end - start) / 1000 ))")
        [ "$kib" -gt "$peak" ] && peak=$kib
    done
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}')
    echo "$label $(awk -v us="$median" 'BEGIN { printf "%.1f", us / 1000 }') $peak"
}

read -r _ calc_ms calc_kib < <(measure calculator)
read -r _ bare_ms bare_kib < <(measure bare bare)
echo "calculator: median ${calc_ms} ms, peak ${calc_kib} KiB"
echo "bare window: median ${bare_ms} ms, peak ${bare_kib} KiB"
awk -v c="$calc_ms" -v b="$bare_ms" -v ck="$calc_kib" -v bk="$bare_kib" \
    'BEGIN { printf "ratio %.2f, memory difference %.1f MiB\n", c / b, (ck - bk) / 1024 }'
