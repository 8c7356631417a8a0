#!/usr/bin/env bash
# However the player ends in full screen with a changed display mode, the start-up mode
# comes back: closing the terminal (SIGHUP), SIGQUIT, a crash (SIGSEGV) and SIGKILL, which
# run none of the player's code, are undone by the mode guard beside the binary, which
# then ends too. Without the guard installed, SIGHUP still restores the mode, from the
# player itself.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start_xorg "$@"
# SIGQUIT and SIGSEGV would leave core files.
ulimit -c 0

printf '[Setting]\r\nChangeResolution=1\r\n' >"$E2E_DIR/bin/setting.ini"

start_player_in_full_screen() {
  # Background jobs of a script ignore SIGINT and SIGQUIT; the player gets them back.
  env --default-signal=INT,QUIT "$E2E_BIN" >"$E2E_DIR/zepo.log" 2>&1 &
  E2E_ZEPO_PID=$!
  E2E_PIDS+=($E2E_ZEPO_PID)
  player=$(e2e_wait_managed_window ZEPO)
  e2e_until 10 e2e_screen_is 1280x1024 || e2e_fail "the screen is not at 1280x1024 at start"
  e2e_focus "$player"
  xdotool key --window "$player" alt+Return
  e2e_until 10 e2e_screen_is 640x480 || e2e_fail "full screen did not switch to 640x480: $(e2e_screen_size)"
}

# The player's children: the mode guard, once a mode has been changed.
children_of() { ps -o pid= --ppid "$1" | tr -d ' '; }

for ending in HUP QUIT SEGV KILL; do
  start_player_in_full_screen
  guard=$(children_of "$E2E_ZEPO_PID")
  [ -n "$guard" ] || e2e_fail "no mode guard runs beside the player in full screen"
  [ "$(ps -o comm= -p "$guard")" = zepo-mode-guard ] || e2e_fail "the player's child is $(ps -o comm= -p "$guard")"
  kill -s "$ending" "$E2E_ZEPO_PID"
  e2e_until 10 eval '! kill -0 "$E2E_ZEPO_PID" 2>/dev/null' || e2e_fail "the player did not end by SIG$ending"
  wait "$E2E_ZEPO_PID" 2>/dev/null || true
  e2e_until 10 e2e_screen_is 1280x1024 || e2e_fail "ending by SIG$ending left the screen at $(e2e_screen_size)"
  e2e_until 10 eval '! kill -0 "$guard" 2>/dev/null' || e2e_fail "the mode guard outlived the player ended by SIG$ending"
done

# Without the guard the player restores the mode itself before SIGHUP ends it, and says
# that the guard is missing.
rm "$E2E_DIR/bin/zepo-mode-guard"
start_player_in_full_screen
[ -z "$(children_of "$E2E_ZEPO_PID")" ] || e2e_fail "a child runs although the guard is missing"
grep -q 'zepo-mode-guard.*cannot be started' "$E2E_DIR/zepo.log" || {
  cat "$E2E_DIR/zepo.log" >&2
  e2e_fail "the missing guard is not told"
}
kill -s HUP "$E2E_ZEPO_PID"
e2e_until 10 eval '! kill -0 "$E2E_ZEPO_PID" 2>/dev/null' || e2e_fail "the player did not end by SIGHUP"
e2e_until 10 e2e_screen_is 1280x1024 || e2e_fail "SIGHUP without the guard left the screen at $(e2e_screen_size)"
echo PASS
