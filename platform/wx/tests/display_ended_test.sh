#!/usr/bin/env bash
# display_ended_test.sh RUNNER: a GUI test's virtual display is ended and reaped before the runner
# returns (no Xvfb left, not even as a zombie), when the program ends and when the runner is stopped.
set -u
runner=$1
command -v Xvfb > /dev/null || { echo "Xvfb is not installed"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

left() { # left PID: true when PID is still a display server (running or a zombie)
  [ -n "$1" ] && [ -e "/proc/$1" ] && grep -q Xvfb "/proc/$1/comm" 2> /dev/null
}

# 1. The program ends: its status is passed on and the server is gone.
"$runner" sh -c 'echo "$KORVANE_XVFB_PID" > "$0"; exit 3' "$tmp/pid1"
status=$?
pid=$(cat "$tmp/pid1" 2> /dev/null)
[ "$status" = 3 ] || { echo "the program's status 3 came back as $status"; exit 1; }
[ -n "$pid" ] || { echo "the program was not given the server's pid"; exit 1; }
if left "$pid"; then echo "Xvfb $pid is left after the run: $(grep State "/proc/$pid/status")"; exit 1; fi

# 2. The runner is stopped (as a test timeout does) while the program runs: both are ended.
"$runner" sh -c 'echo "$KORVANE_XVFB_PID $$" > "$0"; exec sleep 60' "$tmp/pid2" &
run=$!
for _ in $(seq 100); do [ -s "$tmp/pid2" ] && break; sleep 0.1; done
read -r pid child < "$tmp/pid2" || { echo "the program did not start"; exit 1; }
kill -TERM "$run"
wait "$run"
if left "$pid"; then echo "Xvfb $pid is left after a stop: $(grep State "/proc/$pid/status")"; exit 1; fi
if [ -e "/proc/$child" ] && ! grep -q zombie "/proc/$child/status"; then
  echo "the program $child still runs after a stop"
  kill "$child"
  exit 1
fi
echo "the display server is ended and reaped in both cases"
