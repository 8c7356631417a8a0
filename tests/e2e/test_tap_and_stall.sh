#!/usr/bin/env bash
# Playing the 10-second sample on a real X server: a tap on the seek bar (xdotool's click,
# pressed and released well within one frame of the movie, like a touchpad's tap-to-click)
# seeks the paused picture; and a player stopped whole for a few seconds (SIGSTOP, as a
# debugger or a frozen session would) goes on where it stood after SIGCONT, so the rest of
# the file still takes as long as it runs, instead of skipping the seconds it lost.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

sample="$E2E_BUILD/samples/sample.flv"
[ -f "$sample" ] || e2e_fail "no sample clip $sample"
cp "$sample" "$E2E_DIR/sample.flv"
cd "$E2E_DIR"

differing() { compare -metric AE "$1[$3]" "$2[$3]" null: 2>&1 || true; }
shot() { import -window "$player" "$1"; }
changed_since() { shot "$1.png"; [ "$(differing "$2.png" "$1.png" "$3")" -gt "$4" ]; }
# The time display stands still for over a second: playback has stopped.
time_still() {
  shot stand.png; sleep 1.2; shot stand-later.png
  [ "$(differing stand.png stand-later.png "$times")" -lt 5 ]
}

e2e_launch sample.flv
player=$(e2e_wait_window "sample.flv - ZEPO")
eval "$(xdotool getwindowgeometry --shell "$player")"
w=$WIDTH
h=$HEIGHT
video="${w}x$((h / 2))+0+$((h / 8))"
times="$((w - 236))x16+126+$((h - 21))"
# The seek bar's row lies 8 pixels below the panel's top; its track leaves 12 pixels at
# each end.
seek_y=$((h - 40 + 8))

# The pointer over the panel keeps it shown. The seek bar takes the pointer once the probe
# has measured the clip: from then on its knob moves along the bar with the time (while
# the length is searched it stands at the left end, and a blinking text fills the middle,
# which the two stretches of the bar watched here leave out).
xdotool windowactivate --sync "$player"
xdotool mousemove --window "$player" $((w / 2)) $((h - 5))
bar_left="$((w / 2 - 60))x10+0+$((seek_y - 5))"
bar_right="$((w / 2 - 60))x10+$((w / 2 + 60))+$((seek_y - 5))"
knob_moving() {
  shot knob.png; sleep 0.4; shot knob-later.png
  [ "$(differing knob.png knob-later.png "$bar_left")" -gt 3 ] || [ "$(differing knob.png knob-later.png "$bar_right")" -gt 3 ]
}
e2e_until 20 knob_moving || e2e_fail "the seek knob never moved: the length was not measured"

# Paused, a tap three quarters along the bar brings the picture at 7.5 s, and one a
# quarter along the picture at 2.5 s.
xdotool key ctrl+c
still() { shot "$1.png"; sleep 0.3; shot "$1-later.png"; [ "$(differing "$1.png" "$1-later.png" "$video")" -lt 50 ]; }
e2e_until 10 still paused || e2e_fail "the picture went on after pausing"
for quarter in 3 1; do
  xdotool mousemove --window "$player" $((12 + (w - 24) * quarter / 4)) "$seek_y" click 1
  e2e_until 5 changed_since tapped paused "$video" 200 \
    || e2e_fail "a tap on the seek bar did not seek ($(differing paused.png tapped.png "$video") pixels differ)"
  still paused || e2e_fail "the paused picture went on after the tap"
done

# Resumed from 2.5 s; stopped whole for 4 s at about 3 s, it still plays the remaining
# 7 s after it is continued (it used to end 4 s early, having skipped them).
xdotool mousemove --window "$player" $((w / 2)) $((h - 5))
xdotool key ctrl+c
shot resumed.png
e2e_until 10 changed_since moving resumed "$times" 3 || e2e_fail "the time display stood still after resuming"
kill -STOP "$E2E_ZEPO_PID"
sleep 4
kill -CONT "$E2E_ZEPO_PID"
continued=${EPOCHREALTIME//[!0-9]/}
e2e_until 30 time_still || e2e_fail "playback never ended"
ended=${EPOCHREALTIME//[!0-9]/}
played_ms=$(( (ended - continued) / 1000 ))
# The rest is about 7 s, and the time display is seen standing 1.2 s after the end; what
# skipped the stall ended after about 4.
[ "$played_ms" -gt 6000 ] || e2e_fail "after the stall the rest played for $played_ms ms: the stall was skipped"

wmctrl -i -c "$player"
e2e_wait_exit
echo PASS
