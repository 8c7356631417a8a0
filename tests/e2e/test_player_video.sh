#!/usr/bin/env bash
# Playing a file on a real X server: `zepo sample.flv` shows moving video under the title
# "sample.flv - ZEPO"; the control panel shows under the pointer, its time display runs,
# and the panel hides once the pointer has left the window. Paused, the picture stays as it
# was when the X server asks for the window again. A screenshot of the playing window with
# its panel goes to screenshots/ for a look.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

sample="$E2E_BUILD/samples/sample.flv"
[ -f "$sample" ] || e2e_fail "no sample clip $sample"
cp "$sample" "$E2E_DIR/sample.flv"
cd "$E2E_DIR"

# Number of pixels that differ between the same rectangle (WxH+X+Y) of two screenshots.
differing() { compare -metric AE "$1[$3]" "$2[$3]" null: 2>&1 || true; }
# Number of pixels of a rectangle that are not the panel's dark face.
not_panel() { compare -metric AE -fuzz 15% "$1[$2]" -size "${2%%+*}" 'xc:#1e2229' null: 2>&1 || true; }
shot() { import -window "$player" "$1"; }

e2e_launch sample.flv
player=$(e2e_wait_window "sample.flv - ZEPO")
eval "$(xdotool getwindowgeometry --shell "$player")"
w=$WIDTH
h=$HEIGHT
# The picture fills the width (the clip is 4:3, like the window); the panel covers its
# bottom 40 pixels when shown. The rectangles below stay clear of it.
video="${w}x$((h / 2))+0+$((h / 8))"
panel="${w}x30+0+$((h - 33))"
# The current time, left of "/total", right of the six transport buttons.
times="$((w - 236))x16+126+$((h - 21))"
panel_pixels=$((w * 30))

# Conditions on a fresh shot of the window (NAME.png, kept for a look): the panel's strip
# shows the picture, or the panel's face; the picture, or the time display, differs from
# an earlier shot.
panel_hidden() { shot "$1.png"; [ "$(not_panel "$1.png" "$panel")" -gt $((panel_pixels * 3 / 4)) ]; }
panel_shown() { shot "$1.png"; [ "$(not_panel "$1.png" "$panel")" -lt $((panel_pixels / 2)) ]; }
changed_since() { shot "$1.png"; [ "$(differing "$2.png" "$1.png" "$3")" -gt "$4" ]; }

# The pointer over the picture: the panel hides, the picture moves.
xdotool mousemove --window "$player" $((w / 2)) $((h / 3))
e2e_until 10 panel_hidden first || e2e_fail "the panel shows over the picture"
e2e_until 10 changed_since second first "$video" 200 \
  || e2e_fail "the picture did not change ($(differing first.png second.png "$video") pixels)"
panel_hidden second || e2e_fail "the panel showed over the moving picture"

# The pointer over the panel's area: the panel shows and its time display runs.
xdotool mousemove --window "$player" $((w / 2)) $((h - 5))
e2e_until 10 panel_shown panel || e2e_fail "no panel under the pointer"
e2e_until 10 changed_since later panel "$times" 10 || e2e_fail "the time display stood still"
panel_shown later || e2e_fail "the panel went away under the pointer"
mkdir -p "$E2E_BUILD/screenshots"
cp later.png "$E2E_BUILD/screenshots/player-playing.png"

# The pointer leaves the window straight from the panel: the panel watch hides it.
eval "$(xdotool getwindowgeometry --shell "$player")"
xdotool mousemove $((X + w + 40)) $((Y + h + 40))
e2e_until 10 panel_hidden left || e2e_fail "the panel stayed after the pointer left"

# Pictures reach the screen straight from memory the X server reads, past the toolkit's
# copy of the window. Paused once the picture has moved on since the last repaint (a
# focus change repaints), and every window asked for its contents again (xrefresh maps a
# red window over the screen that no window manager sees, and unmaps it: no focus
# changes, and the red stays until the player paints), the paused picture comes back, not
# an older one from the toolkit's copy; resumed, the picture moves on.
# The picture holds still over a third of a second (a few frames of the clip).
still() { shot "$1.png"; sleep 0.3; shot "$1-later.png"; [ "$(differing "$1.png" "$1-later.png" "$video")" -lt 50 ]; }
came_back() { shot refreshed.png; [ "$(differing paused.png refreshed.png "$video")" -lt 50 ]; }
xdotool windowactivate --sync "$player"
shot activated.png
e2e_until 10 changed_since moved activated "$video" 200 || e2e_fail "the picture stood still before pausing"
xdotool key ctrl+c
e2e_until 10 still paused || e2e_fail "the picture went on after pausing"
xrefresh -solid red
e2e_until 5 came_back \
  || e2e_fail "the paused picture did not come back as it was ($(differing paused.png refreshed.png "$video") pixels differ)"
xdotool key ctrl+c
e2e_until 10 changed_since resumed refreshed "$video" 200 || e2e_fail "the picture stood still after resuming"

wmctrl -i -c "$player"
e2e_wait_exit
echo PASS
