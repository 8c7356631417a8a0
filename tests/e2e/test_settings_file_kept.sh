#!/usr/bin/env bash
# setting.ini as the user left it, on the real binary: a read-only file is read but kept
# as it is, with a warning; a link is written through to its target and stays a link; a
# pipe, a link to /dev/zero and a 2 GiB file are not read, the window comes and the file
# is left alone. Closing saves all keys in one replacement, and what a killed save left
# beside the file is gone after the next start.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

ini="$E2E_DIR/bin/setting.ini"

# Starts the player, waits for its window and closes it; the player must end by itself.
start_and_close() {
  e2e_launch "$@"
  player=$(e2e_wait_window "ZEPO")
  wmctrl -i -c "$player"
  e2e_wait_exit
}

warned_about() { grep -q "zepo.app: warning: .*$1" "$E2E_DIR/zepo.log"; }

# --- Read-only: Restore=0 is obeyed, nothing is written, the mode stays 444.
printf '[Setting]\r\nRestore=0\r\n[PrevInfo]\r\nMain_x=5\r\n' >"$ini"
chmod 444 "$ini"
cp "$ini" "$E2E_DIR/expected.ini"
start_and_close
cmp "$ini" "$E2E_DIR/expected.ini" || e2e_fail "the read-only setting.ini was changed"
[ "$(stat -c %a "$ini")" = 444 ] || e2e_fail "the read-only setting.ini is now $(stat -c %a "$ini")"
warned_about "setting.ini: read-only" || { cat "$E2E_DIR/zepo.log" >&2; e2e_fail "no warning for the read-only file"; }
rm -f "$ini"

# --- A link into another folder: the target gets the keys and keeps its mode.
mkdir -p "$E2E_DIR/conf"
printf '[Setting]\r\nHideCursor=0\r\n' >"$E2E_DIR/conf/zepo.ini"
chmod 600 "$E2E_DIR/conf/zepo.ini"
ln -s ../conf/zepo.ini "$ini"
start_and_close
[ -L "$ini" ] || e2e_fail "setting.ini is no longer a link"
grep -q '^Main_x=' "$E2E_DIR/conf/zepo.ini" || e2e_fail "the link's target did not get the geometry"
grep -q '^HideCursor=0' "$E2E_DIR/conf/zepo.ini" || e2e_fail "the target lost its own keys"
[ "$(stat -c %a "$E2E_DIR/conf/zepo.ini")" = 600 ] || e2e_fail "the target's mode changed"
rm -f "$ini"

# --- Not a regular file: the window comes at once, nothing is read, nothing replaced.
mkfifo "$ini"
e2e_launch
e2e_wait_window "ZEPO" >/dev/null
# Ended by SIGTERM at once: no open of the pipe holds it.
kill -TERM "$E2E_ZEPO_PID"
e2e_until 5 eval '! kill -0 "$E2E_ZEPO_PID" 2>/dev/null' || e2e_fail "SIGTERM did not end the player"
wait "$E2E_ZEPO_PID" 2>/dev/null || true
[ -p "$ini" ] || e2e_fail "the pipe was replaced"
warned_about "setting.ini: not a regular file" || { cat "$E2E_DIR/zepo.log" >&2; e2e_fail "no warning for the pipe"; }
rm -f "$ini"

ln -s /dev/zero "$ini"
e2e_launch
player=$(e2e_wait_window "ZEPO")
rss_kb=$(ps -o rss= -p "$E2E_ZEPO_PID" | tr -d ' ')
[ "$rss_kb" -lt 300000 ] || e2e_fail "the player takes ${rss_kb} KB with setting.ini on /dev/zero"
wmctrl -i -c "$player"
e2e_wait_exit
[ "$(readlink "$ini")" = /dev/zero ] || e2e_fail "the link to /dev/zero was replaced"
rm -f "$ini"

printf '[Setting]\r\nRestore=0\r\n' >"$ini"
truncate -s 2G "$ini"
start_and_close
[ "$(stat -c %s "$ini")" = $((2 * 1024 * 1024 * 1024)) ] || e2e_fail "the 2 GiB file was replaced"
warned_about "setting.ini: too large" || { cat "$E2E_DIR/zepo.log" >&2; e2e_fail "no warning for the huge file"; }
rm -f "$ini"

# --- One replacement per save; temporaries of an ended writer are removed at start, a
# running writer's are not (process 1 never ends; no process has number 99999999).
printf '[PrevInfo]\r\nMain_x=' >"$E2E_DIR/bin/.zepo-99999999-Ab3xYz"
printf '[PrevInfo]\r\nMain_x=' >"$E2E_DIR/bin/.zepo-1-Ab3xYz"
command -v strace >/dev/null || e2e_fail "strace is missing (scripts/packages.txt)"
E2E_BIN_TRACED=("strace" -f -qq -e trace=rename,renameat,renameat2 -o "$E2E_DIR/renames.log" "$E2E_BIN")
"${E2E_BIN_TRACED[@]}" >"$E2E_DIR/zepo.log" 2>&1 &
E2E_ZEPO_PID=$!
E2E_PIDS+=($E2E_ZEPO_PID)
player=$(e2e_wait_window "ZEPO")
[ ! -e "$E2E_DIR/bin/.zepo-99999999-Ab3xYz" ] || e2e_fail "the ended writer's temporary file is still there"
[ -e "$E2E_DIR/bin/.zepo-1-Ab3xYz" ] || e2e_fail "a running writer's temporary file was removed"
wmctrl -i -c "$player"
e2e_wait_exit
replacements=$(grep -c '/setting\.ini".*= 0$' "$E2E_DIR/renames.log" || true)
[ "$replacements" = 1 ] || { cat "$E2E_DIR/renames.log" >&2; e2e_fail "closing replaced setting.ini $replacements times"; }
keys=$(tr -d '\r' <"$ini" | cut -d= -f1 | tr '\n' ' ')
[ "$keys" = "[PrevInfo] Main_x Main_y Main_w Main_h PlayList_x PlayList_y PlayList_w PlayList_h PlayList_Show Panel_Fix TopMost volume " ] \
  || e2e_fail "setting.ini keys: $keys"
echo PASS
