#!/usr/bin/env bash
# screenshots.sh WINDOWS_BUILD LINUX_BUILD OUT: pictures of the Windows program under Wine, to be
# looked at: OUT/calculator.png, the calculator window; OUT/project.png, the project window
# with a floor imported from a test drawing and placed; OUT/schedule.png, the schedule page of
# that project's calculation book as the Windows program writes it.
#
# The windows are drawn on a virtual X display (Xvfb) by Wine, on Qt's windows platform with
# its FreeType font engine: GDI's text under Wine drops strokes of the CJK fonts mapped to the
# Windows ones. That engine finds a font's file through the registry's list of fonts, to which
# the prefix's CJK fonts are added. Needs xvfb, x11-apps (xwd) and netpbm besides the Windows
# build's packages. LINUX_BUILD gives the test drawing (tests/plans) and the program that
# imports and places it.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
windows_program=$(cd "$1" && pwd)/app/extinguisher-calculator.exe
linux_build=$(cd "$2" && pwd)
mkdir -p "$3"
out=$(cd "$3" && pwd)
WINE_RUN_FUNCTIONS=1 . "$here/wine-run.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/screenshots.XXXXXX")
xvfb=""
cleanup() {
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    WINEPREFIX=$work/prefix "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The project: a floor of the test drawing, imported and placed by the Linux program.
cp "$linux_build/tests/plans/r2018.dxf" "$work/"
(cd "$work" && QT_QPA_PLATFORM=offscreen "$linux_build/app/extinguisher-calculator" \
    --import-plan r2018.dxf --floor 一层 一层.fep >/dev/null &&
    QT_QPA_PLATFORM=offscreen "$linux_build/app/extinguisher-calculator" --place 一层.fep >/dev/null)

make_template "$work/prefix" >/dev/null 2>&1
wine_environment
export WINEPREFIX=$work/prefix
cat >"$work/fonts.reg" <<'EOF'
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]
"WenQuanYi Zen Hei & WenQuanYi Zen Hei Mono & WenQuanYi Zen Hei Sharp (TrueType)"="wqy-zenhei.ttc"
"AR PL UMing CN & AR PL UMing HK & AR PL UMing TW & AR PL UMing TW MBE (TrueType)"="uming.ttc"
"AR PL SungtiL GB (TrueType)"="gbsn00lp.ttf"
EOF
{ printf '\xff\xfe'; sed 's/$/\r/' "$work/fonts.reg" | iconv -f UTF-8 -t UTF-16LE; } \
    >"$WINEPREFIX/drive_c/fonts.reg"
"$wineserver" -p
timeout 120 "$wine" regedit /S 'C:\fonts.reg' >/dev/null 2>&1

# The book, from the Windows program; its schedule page, the first with the schedule's title and
# its table (the contents page names it too).
(cd "$work" && timeout 120 "$wine" "$windows_program" --export 一层计算书.pdf 一层.fep >/dev/null)
pages=$(pdfinfo "$work/一层计算书.pdf" | awk '$1 == "Pages:" { print $2 }')
for page in $(seq 1 "$pages"); do
    text=$(pdftotext -f "$page" -l "$page" "$work/一层计算书.pdf" -)
    if grep -q 灭火器配置表 <<<"$text" && grep -q 序号 <<<"$text"; then
        pdftoppm -r 100 -png -singlefile -f "$page" -l "$page" "$work/一层计算书.pdf" \
            "$out/schedule"
        break
    fi
done

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x860x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
sleep 2
export DISPLAY=$display WINEQT_QPA_PLATFORM=windows:fontengine=freetype
shot() {  # shot NAME [ARGS...]: the screen, some seconds after the program started
    local name=$1 pid
    shift
    (cd "$work" && exec "$wine" "$windows_program" "$@" >/dev/null 2>&1) &
    pid=$!
    sleep "${SCREENSHOT_WAIT:-30}"
    xwd -root -display "$display" | xwdtopnm 2>/dev/null | pnmtopng >"$out/$name.png"
    kill "$pid" 2>/dev/null || true
    "$wineserver" -k 2>/dev/null || true
    "$wineserver" -w 2>/dev/null || true
    "$wineserver" -p
    # The project's lock, left by the program that was stopped.
    rm -f "$work"/*.lock
}
shot calculator
shot project 一层.fep
ls -l "$out"/calculator.png "$out"/project.png "$out"/schedule.png
