#!/usr/bin/env bash
# Runs the widget tests named by a filter on a real X server with a window manager, where the
# display server's traffic (title writes, clipboard questions) is real. Skips when there is none.
#   UnderX11.sh TEST_BINARY GTEST_FILTER
set -euo pipefail
binary="$1"
filter="$2"
if ! command -v Xvfb >/dev/null; then
  echo "Xvfb is missing (scripts/setup.sh installs it): skipped"
  exit 77
fi
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "no free X display number: skipped"; exit 77; }
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
server=$!
wm=""
cleanup() {
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
  kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
for _ in $(seq 1 50); do
  [ -e "/tmp/.X11-unix/X${display#:}" ] && break
  sleep 0.1
done
export DISPLAY="$display"
if command -v openbox >/dev/null; then
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 0.5
fi
QT_QPA_PLATFORM=xcb "$binary" --gtest_filter="$filter"
