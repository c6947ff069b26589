#!/bin/sh
# makensis for CPack's NSIS generator (CPACK_NSIS_EXECUTABLE): a 64-bit installer with Unicode
# texts. Without this makensis makes a 32-bit one with ANSI texts, which garble Chinese, and
# CPack has no way to pass makensis an option of its own.
exec makensis "-XTarget amd64-unicode" "$@"
