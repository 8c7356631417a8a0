#!/usr/bin/env bash
# What the real binary writes on stderr when something fails: one line per failure in the
# program's format, naming the file. A file that is no FLV (its load retry tries it for a
# few seconds and gives it up, and it is told once, then), and a file played without an
# audio device.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

sample="$E2E_BUILD/samples/sample.flv"
[ -f "$sample" ] || e2e_fail "no sample clip $sample"
cd "$E2E_DIR"
cp "$sample" sample.flv
# The playlist takes files whose first bytes are "flv" in any letter case; the reader
# does not.
printf 'flv, but nothing like one' >bad.flv

lines() { grep -cF "$1" zepo.log || true; }
box_of_player() {
  local id
  id=$(wmctrl -lp | awk -v pid="$E2E_ZEPO_PID" '$3 == pid && $5 == "zepo" && NF == 5 { print $1 }')
  [ -n "$id" ] && echo "$id"
}

e2e_launch "$E2E_DIR/bad.flv"
player=$(e2e_wait_window "bad.flv - ZEPO")
told="zepo.movies: warning: $E2E_DIR/bad.flv: the file is damaged: not an FLV file - going on with the next file"
e2e_until 10 eval '[ "$(lines "$told")" -ge 1 ]' || e2e_fail "nothing told of bad.flv: $(cat zepo.log)"
e2e_until 5 box_of_player >/dev/null || e2e_fail "the player did not tell the user of bad.flv"
[ "$(lines "$E2E_DIR/bad.flv")" = 1 ] || e2e_fail "bad.flv told more than once: $(cat zepo.log)"
xdotool windowactivate "$(box_of_player)" 2>/dev/null || true
xdotool key --clearmodifiers Return
e2e_until 10 eval '! box_of_player >/dev/null' || e2e_fail "the message box did not close"
wmctrl -i -c "$player"
e2e_wait_exit

SDL_AUDIODRIVER=no-such-driver e2e_launch "$E2E_DIR/sample.flv"
player=$(e2e_wait_window "sample.flv - ZEPO")
told="zepo.stream: warning: $E2E_DIR/sample.flv: no sound: no audio device: "
e2e_until 10 eval '[ "$(lines "$told")" -ge 1 ]' || e2e_fail "nothing told of the missing device: $(cat zepo.log)"
[ "$(lines "$told")" = 1 ] || e2e_fail "the missing device told more than once: $(cat zepo.log)"
wmctrl -i -c "$player"
e2e_wait_exit
echo PASS
