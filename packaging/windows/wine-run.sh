#!/usr/bin/env bash
# wine-run.sh PROGRAM.exe [ARGS...]: runs a program of the Windows build under Wine, headless, and
# ends with its exit status.
#
# - A fresh Wine prefix each time, removed afterwards: a copy of WINE_TEMPLATE when set (made by
#   make_template below, as run-tests.sh does once), else one made here. Its own wineserver is
#   started first (wineserver -p), which keeps Wine from losing its connection to it.
# - Wine hides the variables whose names begin with QT_ from Windows programs and hands on those
#   named WINEQT_… as QT_…: each QT_ variable set here is passed that way.
# - The offscreen platform on Windows reads fonts from QT_QPA_FONTDIR only, not recursively: a flat
#   folder of CJK fonts (WINE_FONTDIR, or one made in the prefix).
# - The Qt and MinGW runtime DLLs are found through WINEPATH.
# - The program is stopped after WINE_TIMEOUT seconds (default 600): a Qt program that cannot
#   start shows a message box, which nobody here would close.
# Sourced with WINE_RUN_FUNCTIONS=1, it only defines its functions.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=deps.sh
. "$here/deps.sh"

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

# The CJK fonts the book and the windows draw with, the Latin face of the book's body on Debian,
# and the Windows families mapped to them.
wine_fonts=(/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc /usr/share/fonts/truetype/arphic/uming.ttc
            /usr/share/fonts/truetype/arphic-gbsn00lp/gbsn00lp.ttf
            /usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf)

wine_environment() {
    export WINEDEBUG=${WINEDEBUG:--all}
    # Wine reads the command line and Unix file names in the locale's encoding: UTF-8.
    export LC_ALL=C.UTF-8
    # No Mono or Gecko installer is offered while the prefix is made.
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
    local gcc
    gcc=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
    export WINEPATH="$(windows_qt_prefix)/bin;$gcc;/usr/x86_64-w64-mingw32/lib"
    unset DISPLAY WAYLAND_DISPLAY
}

# A flat folder of the fonts, for QT_QPA_FONTDIR.
make_font_folder() {  # make_font_folder DIR
    mkdir -p "$1"
    cp "${wine_fonts[@]}" "$1/"
}

# A Wine prefix with the CJK fonts in its windows/Fonts and the Windows Chinese families (SimSun,
# SimHei and the like) replaced by them, so that the windows platform draws every character.
make_template() {  # make_template DIR
    wine_environment
    export WINEPREFIX=$1
    timeout 300 "$wine" wineboot -i >/dev/null 2>&1 || true
    cp "${wine_fonts[@]}" "$WINEPREFIX/drive_c/windows/Fonts/"
    local reg=$WINEPREFIX/drive_c/fonts.reg
    cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"SimSun"="AR PL UMing CN"
"NSimSun"="AR PL UMing CN"
"宋体"="AR PL UMing CN"
"SimHei"="WenQuanYi Zen Hei"
"黑体"="WenQuanYi Zen Hei"
"Microsoft YaHei"="WenQuanYi Zen Hei"
"Microsoft YaHei UI"="WenQuanYi Zen Hei"
EOF
    # regedit reads a REGEDIT4 file in the ANSI code page; the Chinese names need UTF-16.
    { printf '\xff\xfe'; sed 's/^REGEDIT4$/Windows Registry Editor Version 5.00/' "$reg" |
        sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$reg.utf16"
    timeout 120 "$wine" regedit /S 'C:\fonts.reg.utf16' >/dev/null 2>&1
    rm -f "$reg" "$reg.utf16"
    timeout 60 "$wineserver" -w
}

wine_run() {  # wine_run PROGRAM [ARGS...]
    wine_environment
    local prefix status=0
    prefix=$(mktemp -d "${TMPDIR:-/tmp}/wine-run.XXXXXX")
    if [ -n "${WINE_TEMPLATE:-}" ]; then
        cp -a "$WINE_TEMPLATE/." "$prefix/"
    else
        make_template "$prefix"
    fi
    export WINEPREFIX=$prefix
    if [ -z "${WINE_FONTDIR:-}" ]; then
        WINE_FONTDIR=$prefix/qt-fonts
        make_font_folder "$WINE_FONTDIR"
    fi
    # As a Windows path: Wine's drive Z: is the Unix root.
    export QT_QPA_FONTDIR=${QT_QPA_FONTDIR:-Z:${WINE_FONTDIR//\//\\}}
    local name
    for name in $(compgen -e); do
        case $name in QT_*) export "WINE$name=${!name}" ;; esac
    done
    "$wineserver" -p
    timeout -k 10 "${WINE_TIMEOUT:-600}" "$wine" "$@" || status=$?
    "$wineserver" -k 2>/dev/null || true
    timeout 30 "$wineserver" -w 2>/dev/null || true
    rm -rf "$prefix"
    return "$status"
}

if [ "${WINE_RUN_FUNCTIONS:-}" != 1 ]; then
    wine_run "$@"
fi
