#!/usr/bin/env bash
# run-on-xvfb.sh PROGRAM [ARGS...]: runs a GUI test program on a private virtual display and ends the
# display server, and waits for it, before returning the program's status. Exit 77 (skip) when no server
# can be started. The server's pid is passed on in KORVANE_XVFB_PID.
set -u
# Without Xvfb the program runs on the display there is, if any (it reports a skip without one).
command -v Xvfb > /dev/null || exec "$@"
tmp=$(mktemp -d) || exit 1
xvfb=""
child=""
finish() {
  [ -n "$child" ] && kill "$child" 2> /dev/null && wait "$child" 2> /dev/null
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2> /dev/null
    wait "$xvfb" 2> /dev/null
  fi
  rm -rf "$tmp"
}
trap finish EXIT
trap 'exit 143' TERM INT HUP

# -displayfd: the server picks a free display and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$tmp/display" 2> "$tmp/xvfb.log" &
xvfb=$!
for _ in $(seq 200); do
  [ -s "$tmp/display" ] && break
  if ! kill -0 "$xvfb" 2> /dev/null; then
    echo "run-on-xvfb: the display server did not start:" >&2
    cat "$tmp/xvfb.log" >&2
    xvfb=""
    exit 77
  fi
  sleep 0.05
done
[ -s "$tmp/display" ] || { echo "run-on-xvfb: the display server did not answer" >&2; exit 77; }

# In the background so that a signal to this script is handled at once, not after the program ends.
DISPLAY=":$(head -n 1 "$tmp/display")" KORVANE_XVFB_PID=$xvfb "$@" &
child=$!
wait "$child"
status=$?
child=""
exit "$status"
