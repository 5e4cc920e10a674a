#!/usr/bin/env bash
# no-toolkit.sh [--drawing-allowed] PROGRAM: fails when PROGRAM, or any library it needs, needs a toolkit library (wxWidgets,
# GTK, GDK, cairo, pango, X11).
# With --drawing-allowed, cairo (and the X11 libraries it brings) may stay: for programs whose logic
# draws into images without any window.
set -u
pattern='libwx_|libgtk|libgdk|libcairo|libpango|libX11'
if [ "${1:-}" = "--drawing-allowed" ]; then
  pattern='libwx_|libgtk|libgdk|libpango'
  shift
fi
program=$1
libs=$(ldd "$program") || { echo "ldd cannot read $program" >&2; exit 1; }
echo "$libs" | grep -q "libkorvane_platform" || { echo "unexpected ldd output for $program:" >&2; echo "$libs" >&2; exit 1; }
found=$(echo "$libs" | grep -E "$pattern" || true)
if [ -n "$found" ]; then
  echo "$(basename "$program") maps toolkit libraries at start-up:" >&2
  echo "$found" >&2
  exit 1
fi
echo "$(basename "$program"): $(echo "$libs" | wc -l) libraries, no toolkit library"
