#!/bin/sh
# export_alone.sh PROGRAM PROJECT OUT_DIR: the export without widgets writes a book and a
# workbook, and the program loads QtGui but not QtWidgets.
set -eu
program=$1 project=$2 out=$3
mkdir -p "$out"
libraries=$(ldd "$program")
echo "$libraries" | grep -q libQt6Gui || { echo "QtGui is not linked: $program"; exit 1; }
echo "$libraries" | grep libQt6Widgets && { echo "the export links QtWidgets"; exit 1; }
QT_QPA_PLATFORM=offscreen "$program" "$out/book.pdf" "$project"
QT_QPA_PLATFORM=offscreen "$program" "$out/book.xlsx" "$project"
pdftotext "$out/book.pdf" - | grep -q 灭火器配置计算书
[ -s "$out/book.xlsx" ]
