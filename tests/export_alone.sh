#!/bin/sh
# export_alone.sh PROGRAM PROJECT OUT_DIR [LAUNCHER]: the export without widgets writes a book and
# a workbook, and the program loads QtGui but not QtWidgets. A Windows program is run through
# LAUNCHER and its DLLs read from its import table.
set -eu
program=$1 project=$2 out=$3 launcher=${4:-$1}
mkdir -p "$out"
case "$program" in
    *.exe) libraries=$(x86_64-w64-mingw32-objdump -p "$program" | grep 'DLL Name') ;;
    *) libraries=$(ldd "$program") ;;
esac
echo "$libraries" | grep -q Qt6Gui || { echo "QtGui is not linked: $program"; exit 1; }
echo "$libraries" | grep Qt6Widgets && { echo "the export links QtWidgets"; exit 1; }
QT_QPA_PLATFORM=offscreen "$launcher" "$out/book.pdf" "$project"
QT_QPA_PLATFORM=offscreen "$launcher" "$out/book.xlsx" "$project"
pdftotext "$out/book.pdf" - | grep -q 灭火器配置计算书
[ -s "$out/book.xlsx" ]
