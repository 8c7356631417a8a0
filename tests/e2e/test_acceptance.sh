#!/usr/bin/env bash
# One file's whole road, the way a user takes it, with the real binary under a real X
# server and window manager: a folder and a playlist file on the command line; the first
# file plays with sound, its frame size shapes the picture and its length is known; the
# end of a file plays the next; a second start hands over files that replace the list;
# the playlist's buttons move entries, Page Down and Page Up follow the new order; full
# screen and back; the settings dialog and the aspect dialog change what they say; the
# volume, topmost, panel fix and playlist visibility set by keys come back, with the
# window's place and size, at the next start.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start "$@"

# The sound the player makes goes to a file: 32-bit floats at the clip's rate, one channel.
export SDL_AUDIODRIVER=disk
export SDL_DISKAUDIOFILE="$E2E_DIR/sound.raw"
readonly kToneHz=440 kSoundRate=44100

media="$E2E_DIR/media"
mkdir -p "$media/folder"
# A clip of a plain colour (so the picture's outline is easy to find on black) with a tone.
make_clip() { # file seconds width height colour
  ffmpeg -loglevel error -y -f lavfi -i "color=c=$5:size=$3x$4:rate=15:duration=$2" \
    -f lavfi -i "sine=frequency=$kToneHz:sample_rate=$kSoundRate:duration=$2" \
    -c:v flv1 -q:v 8 -c:a libmp3lame -b:a 64k -ac 1 -shortest "$1" || e2e_fail "ffmpeg could not make $1"
}
# The first file is twice as wide as high: its picture shows whether its size arrived.
# It is paused once 3 s of it have been heard: its position is then a second past the
# point from which a single fast-forward reaches the end, and the pause still has 4 s to
# land before the end on a loaded machine.
readonly kFirstSeconds=7 kHeardBeforePause=3
make_clip "$media/folder/a.flv" "$kFirstSeconds" 320 160 0x3070d0
make_clip "$media/folder/b.flv" 3 320 240 0xd07030
cp "$media/folder/b.flv" "$media/c.flv"
printf '[PlayList]\r\nc.flv\r\n' >"$media/list.zepo"
# The handed-over files last long enough that none ends by itself while the test works.
make_clip "$media/p.flv" 40 320 240 0x30c070
for name in q r s; do cp "$media/p.flv" "$media/$name.flv"; done

# Xvfb has a single display mode: full screen keeps it.
printf '[Setting]\r\nChangeResolution=0\r\n' >"$E2E_DIR/bin/setting.ini"

# --- Helpers

title_is() { [ "$(xdotool getwindowname "$player" 2>/dev/null)" = "$1" ]; }
wait_title() {
  e2e_until 10 title_is "$1" || e2e_fail "the player did not play $1 (title: '$(xdotool getwindowname "$player")')"
}
# Keys go where a user's would: to the window that has the keyboard focus.
press() {
  e2e_focus "$player"
  xdotool key "$@"
}
park_pointer() { xdotool mousemove 1279 1023; }

# Clicks at a point of a window's client area.
click_in() { # window x y
  local g
  read -r -a g <<<"$(e2e_client_geometry "$1")"
  xdotool mousemove $((g[0] + $2)) $((g[1] + $3)) click 1
}
window_gone() { ! xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

# Where the picture is in the player window, "width height centre-x centre-y" in client
# pixels: the box around everything that is not black above the control panel's strip.
readonly kPanelStrip=45
picture_box() {
  local g box
  read -r -a g <<<"$(e2e_client_geometry "$player")"
  import -window root "$E2E_DIR/shot.png"
  box=$(convert "$E2E_DIR/shot.png" -crop "${g[2]}x$((g[3] - kPanelStrip))+${g[0]}+${g[1]}" +repage \
    -bordercolor black -border 1 -fuzz 20% -format '%@' info:)
  # WxH+X+Y of the box inside the 1-pixel border.
  awk -F'[x+]' '{ printf "%d %d %.1f %.1f\n", $1, $2, $3 - 1 + $1 / 2, $4 - 1 + $2 / 2 }' <<<"$box"
}
# Succeeds when the picture's width-to-height ratio is within 3 % of $1.
picture_ratio_is() {
  local w h
  read -r w h _ _ < <(picture_box)
  awk -v w="$w" -v h="$h" -v want="$1" 'BEGIN { exit !(h > 0 && w / h > want * 0.97 && w / h < want * 1.03) }'
}
picture_ratio() { picture_box | awk '{ if ($2 > 0) printf "%.3f (%dx%d)", $1 / $2, $1, $2; else print "none" }'; }
# Succeeds when the picture's centre is at least 5 pixels above $1.
picture_above() {
  local cy
  read -r _ _ _ cy < <(picture_box)
  awk -v y="$cy" -v below="$1" 'BEGIN { exit !(y < below - 5) }'
}
picture_centre_y() { picture_box | awk '{ print $4 }'; }

# The sound written so far, as raw samples on stdout: whole samples only, since the
# player may be halfway through writing one.
sound_so_far() {
  local bytes
  bytes=$(stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0)
  head -c $((bytes / 4 * 4)) "$SDL_DISKAUDIOFILE" 2>/dev/null
}
sox_raw() { sox -t raw -r "$kSoundRate" -e floating-point -b 32 -c 1 "$@"; }
# "rms maximum frequency" of the last $1 seconds of sound.
recent_sound() {
  sound_so_far | tail -c "$(awk -v s="$1" -v r="$kSoundRate" 'BEGIN { printf "%d", s * r * 4 }')" |
    sox_raw - -n stat 2>&1 |
    awk '/^RMS +amplitude/ { r = $3 } /^Maximum amplitude/ { m = $3 } /^Rough +frequency/ { f = $3 }
      END { print r + 0, m + 0, f + 0 }'
}
# Succeeds when the last half second is the clips' tone all through (a sine's rms is
# 0.71 of its peak; less means part of the window is silence), and keeps its statistics
# in tone_rms, tone_peak and tone_hz.
tone_playing() {
  read -r tone_rms tone_peak tone_hz < <(recent_sound 0.5)
  awk -v r="$tone_rms" -v m="$tone_peak" -v f="$tone_hz" -v t="$kToneHz" \
    'BEGIN { exit !(r > 0.02 && r > 0.68 * m && f > t * 0.9 && f < t * 1.1) }'
}
# Succeeds when the sound has stopped: for 0.3 s the device wrote nothing (a paused player
# closes it), or its last 0.3 s are silence.
sound_stopped() {
  local before peak
  before=$(stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0)
  sleep 0.3
  [ "$(stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0)" = "$before" ] && return 0
  read -r _ peak _ < <(recent_sound 0.3)
  awk -v m="$peak" 'BEGIN { exit !(m < 0.001) }'
}
# Succeeds when at least $1 seconds were heard since the first sound (the device writes
# silence until the first file's sound reaches it).
heard_at_least() {
  local bytes
  bytes=$(sound_so_far | sox_raw - -t raw - silence 1 0.01 1% 2>/dev/null | wc -c)
  awk -v b="$bytes" -v s="$1" -v r="$kSoundRate" 'BEGIN { exit !(b / 4 / r >= s) }'
}

playlist_shown() { xdotool search --onlyvisible --name '^ZEPO - プレイリスト$' >/dev/null 2>&1; }
playlist_hidden() { ! playlist_shown; }
# The playlist's frame stands at the player frame's right edge.
playlist_docked() {
  local p l
  read -r -a p <<<"$(e2e_frame_geometry "$player")"
  read -r -a l <<<"$(e2e_frame_geometry "$list")"
  [ "${l[0]}" -eq $((p[0] + p[2])) ] && [ "${l[1]}" -eq "${p[1]}" ]
}
# The control panel's strip at the bottom of the player window holds something drawn.
panel_shown() {
  local g
  read -r -a g <<<"$(e2e_client_geometry "$player")"
  import -window root "$E2E_DIR/shot.png"
  [ "$(convert "$E2E_DIR/shot.png" -crop "${g[2]}x${kPanelStrip}+${g[0]}+$((g[1] + g[3] - kPanelStrip))" +repage \
    -fuzz 20% -fill black -opaque black -format '%[fx:maxima]' info:)" != 0 ]
}
full_screen() { e2e_has_state "$player" _NET_WM_STATE_FULLSCREEN; }
windowed() { ! full_screen; }
above() { e2e_has_state "$player" _NET_WM_STATE_ABOVE; }
frame_is() { [ "$(e2e_frame_geometry "$player")" = "$1" ]; }

# --- A folder and a playlist file on the command line: the folder's first file plays,
# with its sound.
cd "$media" || e2e_fail "no folder $media"
e2e_launch folder/ list.zepo
player=$(e2e_wait_managed_window "a.flv - ZEPO")
# A larger window, where the picture and the panel have room of their own.
wmctrl -i -r "$player" -e "1,120,80,660,560"
park_pointer

e2e_until 10 tone_playing || e2e_fail "the first file does not sound its ${kToneHz} Hz tone (rms $tone_rms, ~$tone_hz Hz)"
first_peak=$tone_peak
echo "first file's sound: rms $tone_rms, peak $tone_peak, ~$tone_hz Hz"

# The probe's frame size reached the player: the picture is 2:1, not the default 4:3.
e2e_until 10 picture_ratio_is 2.0 || e2e_fail "the picture is not 2:1 but $(picture_ratio)"

# The length is known: fast-forward within 5 s of the end moves on to the next file,
# which it does only once the length is final. Paused first, so the file cannot end by
# itself meanwhile.
e2e_until 10 heard_at_least "$kHeardBeforePause" || e2e_fail "a.flv was not heard for $kHeardBeforePause s"
press ctrl+c
e2e_until 10 sound_stopped || e2e_fail "Ctrl+C did not pause the sound"
title_is "a.flv - ZEPO" || e2e_fail "a.flv ended before it was paused"
press ctrl+Right
wait_title "b.flv - ZEPO"
# At the end of b.flv the playlist file's entry plays.
e2e_until 10 title_is "c.flv - ZEPO" || e2e_fail "the end of b.flv did not play c.flv"

# --- A second start hands over four files: they replace the list, the first plays.
timeout 20 "$E2E_BIN" p.flv q.flv r.flv s.flv || e2e_fail "the second start failed"
wait_title "p.flv - ZEPO"
press ctrl+space
e2e_until 10 playlist_shown || e2e_fail "Ctrl+Space did not show the playlist"
list=$(e2e_wait_managed_window "ZEPO - プレイリスト")
e2e_until 10 playlist_docked || e2e_fail "the playlist is not beside the player"

# Entries are moved with the playlist's buttons "上へ" and "下へ" (40 x 22 at 95 and
# 140 pixels from the left, their middle 15 pixels above the bottom); a row is selected
# by a click on its name (rows are 20 pixels high, names start beside the state column).
read -r -a lg <<<"$(e2e_client_geometry "$list")"
select_row() { click_in "$list" 100 $(($1 * 20 + 10)); }
move_up() { click_in "$list" 115 $((lg[3] - 15)); }
move_down() { click_in "$list" 160 $((lg[3] - 15)); }
select_row 3 # s
move_up      # p q s r
select_row 0 # p, still playing
move_down    # q p s r
park_pointer

# Next skips what is done and plays the next pending entry in the new order; previous
# the nearest pending entry before the current one. In the old order p q r s they would
# play q, p, q instead.
press Next
wait_title "s.flv - ZEPO"
press Prior
wait_title "q.flv - ZEPO"
press Next
wait_title "r.flv - ZEPO"

# --- Full screen and back: the screen covered, the playlist hidden meanwhile; then the
# same place and size as before.
before=$(e2e_frame_geometry "$player")
press alt+Return
e2e_until 10 full_screen || e2e_fail "Alt+Enter did not enter full screen"
e2e_until 10 e2e_client_geometry_is "$player" "0 0 1280 1024" \
  || e2e_fail "the full-screen player does not cover the screen: $(e2e_client_geometry "$player")"
e2e_until 10 playlist_hidden || e2e_fail "the playlist stayed visible in full screen"
press alt+Return
e2e_until 10 windowed || e2e_fail "Alt+Enter again did not leave full screen"
e2e_until 10 frame_is "$before" || e2e_fail "the player is not back at $before: $(e2e_frame_geometry "$player")"
e2e_until 10 playlist_shown || e2e_fail "the playlist did not come back after full screen"

# --- The settings dialog from the context menu: switch one box, OK.
e2e_choose_from_menu "$player" 6 # 設定
# Xvfb offers no 640 x 480 mode to recommend: the dialog says so first.
box=$(e2e_wait_managed_window "zepo")
e2e_focus "$box"
xdotool key Return
dialog=$(e2e_wait_managed_window "設定")
e2e_focus "$dialog"
# The focus starts on the tabs; the second box after them hides the cursor in full screen.
xdotool key Tab Tab space Return
e2e_until 10 window_gone "設定" || e2e_fail "OK did not close the settings dialog"
e2e_until 5 eval '[ "$(e2e_setting Setting HideCursor)" = 0 ]' || e2e_fail "the settings dialog did not store HideCursor=0"
[ "$(e2e_setting Setting Restore)" = 1 ] || e2e_fail "the settings dialog changed Restore"

# --- The aspect dialog from the context menu: "320 : 180", OK; the picture turns 16:9.
e2e_until 5 picture_ratio_is 1.333 || e2e_fail "the 4:3 clip's picture is $(picture_ratio)"
e2e_choose_from_menu "$player" 3 # アスペクト比
dialog=$(e2e_wait_managed_window "アスペクト比")
# Its controls sit where the template puts them, in dialog units of a 181 x 120 dialog.
click_dialog_units() { # x y
  local g
  read -r -a g <<<"$(e2e_client_geometry "$dialog")"
  click_in "$dialog" $(($1 * g[2] / 181)) $(($2 * g[3] / 120))
}
click_dialog_units 30 60  # the radio button "320 : 180"
click_dialog_units 90 106 # OK
e2e_until 10 window_gone "アスペクト比" || e2e_fail "OK did not close the aspect dialog"
park_pointer
e2e_until 5 picture_ratio_is 1.778 || e2e_fail "the picture did not turn 16:9: $(picture_ratio)"

# --- Volume down twice, topmost, panel fixed, playlist shown (since the hand-over).
unfixed_y=$(picture_centre_y)
press ctrl+Down ctrl+Down
press ctrl+f
e2e_until 10 above || e2e_fail "Ctrl+F did not keep the player on top"
press ctrl+s
park_pointer
e2e_until 5 picture_above "$unfixed_y" \
  || e2e_fail "Ctrl+S did not keep the picture above the panel (centre $unfixed_y, then $(picture_centre_y))"
fixed_y=$(picture_centre_y)
panel_shown || e2e_fail "the fixed panel is not shown"

# --- Close: everything is saved.
geometry=$(e2e_frame_geometry "$player")
wmctrl -i -c "$player"
e2e_wait_exit
saved="$(e2e_setting PrevInfo Main_x) $(e2e_setting PrevInfo Main_y) $(e2e_setting PrevInfo Main_w) $(e2e_setting PrevInfo Main_h)"
[ "$saved" = "$geometry" ] || e2e_fail "saved the player at '$saved', it was at '$geometry'"
for pair in PlayList_Show=1 Panel_Fix=1 TopMost=1 volume=80; do
  [ "$(e2e_setting PrevInfo "${pair%=*}")" = "${pair#*=}" ] || e2e_fail "setting.ini has no $pair: $(tr -d '\r' <"$E2E_DIR/bin/setting.ini")"
done

# --- The next start: the same place and size, on top, the playlist shown, the panel
# fixed, and the sound at 80 % of what it was. A long file, so that nothing ends meanwhile.
rm -f "$SDL_DISKAUDIOFILE"
e2e_launch p.flv
player=$(e2e_wait_managed_window "p.flv - ZEPO")
park_pointer
e2e_until 10 frame_is "$geometry" || e2e_fail "the player came back at $(e2e_frame_geometry "$player"), not $geometry"
e2e_until 10 above || e2e_fail "the player is not on top after the restart"
e2e_until 10 playlist_shown || e2e_fail "the playlist is not shown after the restart"
e2e_until 10 picture_ratio_is 1.333 || e2e_fail "the restarted picture is $(picture_ratio)"
# The picture stands centred above the fixed panel, whatever its shape.
restarted_y=$(picture_centre_y)
awk -v a="$restarted_y" -v b="$fixed_y" 'BEGIN { exit !(a - b <= 1.5 && b - a <= 1.5) }' \
  || e2e_fail "the panel is not fixed after the restart (picture centre $restarted_y, fixed was $fixed_y)"
panel_shown || e2e_fail "the fixed panel is not shown after the restart"
e2e_until 10 tone_playing || e2e_fail "the restarted player does not sound the tone (rms $tone_rms, ~$tone_hz Hz)"
echo "restarted sound: rms $tone_rms, peak $tone_peak, ~$tone_hz Hz"
awk -v a="$tone_peak" -v b="$first_peak" 'BEGIN { r = a / b; exit !(r > 0.75 && r < 0.85) }' \
  || e2e_fail "the restored volume plays at peak $tone_peak, not 80 % of $first_peak"

wmctrl -i -c "$player"
e2e_wait_exit
[ "$(e2e_setting PrevInfo volume)" = 80 ] || e2e_fail "the restored volume was not kept"
echo "PASS"
