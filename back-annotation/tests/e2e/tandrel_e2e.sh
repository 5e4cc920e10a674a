#!/usr/bin/env bash
# Tandrel end to end on a private session bus (run under dbus-run-session): settings from an ini file
# and both registry hives, a log of every action kind, the confirmation list, the stand-in schematic
# program's result and action log; then a cancelled chooser, a refused log and no schematic program.
#   tandrel_e2e.sh BIN_DIR
set -uo pipefail
bin=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
same() { # same EXPECTED ACTUAL WHAT
  if ! diff -u "$1" "$2"; then fail "$3"; fi
}

export XDG_CONFIG_HOME=$work/user XDG_CONFIG_DIRS=$work/machine
# Registry: the user's log folder replaces the ini's; the machine fills the empty program path.
mkdir -p "$XDG_CONFIG_HOME/korvane/registry/Software/Tressil/7" "$XDG_CONFIG_DIRS/korvane/registry/Software/Tressil/7"
printf 'LogDir = "%s/logs"\n' "$work" > "$XDG_CONFIG_HOME/korvane/registry/Software/Tressil/7/values.ini"
printf 'Exe = "/opt/tressil/tressil"\nLogDir = "/machine/logs"\n' > "$XDG_CONFIG_DIRS/korvane/registry/Software/Tressil/7/values.ini"
mkdir -p "$work/logs"
cat > "$work/tressil7.ini" <<INI
Layout
{
  version r 7
  layout_exe A ""
  layout_log_file_dir A "/ini/logs"
  tandrel_log A "$work/tandrel.act"
  layout_reg_entry A "Software\\\\Tressil\\\\7"
  layout_exe_reg A "Exe"
  layout_log_file_reg A "LogDir"
}
INI
cp "$here/board.txt" "$work/board.txt"
"$bin/vostrel5-mklog" "$here/changes.txt" "$work/logs/changes.log" || fail "mklog"

busname=org.korvane.Automation.Class.G5C3A9E417B2D4F6A8E190D4C6B2A7F35
start_stub() {
  rm -f "$work/result.txt" "$work/actionlog.txt" "$work/calls.txt"
  "$bin/korvane-schematic-stub" --schematic "$work/board.txt" --out-schematic "$work/result.txt" \
    --out-log "$work/actionlog.txt" --out-calls "$work/calls.txt" &
  stub=$!
  for _ in $(seq 100); do
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
      org.freedesktop.DBus.NameHasOwner "string:$busname" 2>/dev/null | grep -q 'boolean true' && return 0
    sleep 0.1
  done
  fail "the schematic stand-in did not come up"
}
stop_stub() { kill -TERM "$stub"; wait "$stub" || fail "the stand-in ended with $?"; }
run_tandrel() { # run_tandrel ARGS...: output in $work/out.txt, $work/err.txt; status in $status
  (cd "$work" && "$bin/tandrel" "$@" > "$work/out.txt" 2> "$work/err.txt")
  status=$?
}
expected() { sed "s|@WORK@|$work|g" "$here/expected/$1"; }

# 1. Every action kind, confirmed and applied.
start_stub
run_tandrel --file "$work/logs/changes.log" --ok
stop_stub
[ "$status" = 0 ] || fail "full run: exit $status"
[ -s "$work/err.txt" ] && fail "full run: unexpected messages: $(cat "$work/err.txt")"
same <(expected full.out) "$work/out.txt" "full run: chooser and confirmation list"
same "$here/expected/full.result" "$work/result.txt" "full run: schematic after applying"
same <(expected full.actionlog | sed 's/$/\r/') "$work/actionlog.txt" "full run: action log"
# Three renumbers then a remove: one batch, sent before the remove.
sed -n '2,3p' "$work/calls.txt" > "$work/batch.txt"
same <(printf '%s\n' '72("R1 R2 R3 ", "R11 R12 R13 ") -> true' '33(0, "R9") -> true') "$work/batch.txt" "renumber batch"
[ -e "$work/tandrel.act" ] && fail "full run: the action file was not deleted"

# 2. The chooser cancelled: the action file keeps only an empty log name.
run_tandrel --no-file
[ "$status" = 0 ] || fail "cancelled chooser: exit $status"
same <(printf 'LogFileName\r\n{\r\n  Param R ""\r\n}\r\n') "$work/tandrel.act" "cancelled chooser: action file"

# 3. A log the library refuses: its message, nothing applied, no action file left.
printf 'COMPONENT_REMOVE R9\n' | "$bin/vostrel5-mklog" --version 2 - "$work/logs/newer.log"
start_stub
run_tandrel --file "$work/logs/newer.log" --ok
stop_stub
[ "$status" = 1 ] || fail "refused log: exit $status"
grep -q "^message box: $work/logs/newer.log, line 1: the log is of version \"2\"" "$work/err.txt" ||
  fail "refused log: message was: $(cat "$work/err.txt")"
grep -q '^list:' "$work/out.txt" && fail "refused log: a list was shown"
[ -s "$work/calls.txt" ] && fail "refused log: calls were made: $(cat "$work/calls.txt")"
[ -e "$work/tandrel.act" ] && fail "refused log: the action file was left"

# 4. No schematic program running: nothing applied and nothing said.
run_tandrel --file "$work/logs/changes.log" --ok
[ "$status" = 0 ] || fail "not running: exit $status"
[ -s "$work/err.txt" ] && fail "not running: unexpected messages: $(cat "$work/err.txt")"
grep -q 'COMPONENT_REMOVE' "$work/tandrel.act" || fail "not running: the action file should be left as written"

# 4b. A frozen schematic program: the calls give up after the set timeout, the pass stops, says so and
# keeps the action file.
rm -f "$work/tandrel.act"
start_stub
kill -STOP "$stub"
started=$(date +%s)
TANDREL_CALL_TIMEOUT_MS=300 run_tandrel --file "$work/logs/changes.log" --ok
kill -CONT "$stub"
stop_stub
[ "$status" = 1 ] || fail "frozen: exit $status"
[ $(( $(date +%s) - started )) -le 10 ] || fail "frozen: the calls did not give up in time"
grep -q '^message box: The actions were not all applied and reported: the schematic program does not answer' "$work/err.txt" ||
  fail "frozen: message was: $(cat "$work/err.txt")"
grep -q 'COMPONENT_REMOVE' "$work/tandrel.act" || fail "frozen: the action file was not kept"

# 4c. The action file named in the settings is the chosen log: refused, the log left alone.
cp "$work/logs/changes.log" "$work/logs/keep.log"
sed "s|tandrel_log A \"$work/tandrel.act\"|tandrel_log A \"$work/logs/keep.log\"|" "$work/tressil7.ini" > "$work/tressil6.ini"
mv "$work/tressil7.ini" "$work/tressil7.ini.off"
run_tandrel --file "$work/logs/keep.log" --ok
[ "$status" = 1 ] || fail "action file is the log: exit $status"
cmp -s "$work/logs/changes.log" "$work/logs/keep.log" || fail "action file is the log: the log was changed"
grep -q 'is the chosen change log' "$work/err.txt" || fail "action file is the log: message was: $(cat "$work/err.txt")"
rm "$work/tressil6.ini"
mv "$work/tressil7.ini.off" "$work/tressil7.ini"

# 5. No readable ini.
rm "$work/tressil7.ini"
run_tandrel --no-file
[ "$status" = 1 ] || fail "no ini: exit $status"
same <(echo "message box: Unable to find/read .INI file") "$work/err.txt" "no ini: message"

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all end-to-end checks passed"
