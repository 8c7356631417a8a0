#!/usr/bin/env bash
# The pictures of the README: the player playing the sample clip with its control panel
# shown under the pointer, and the playlist window with a few entries, each cut out with
# its window frame. The test checks that the shots show what they are meant to: moving
# video, the panel's face along the player's bottom, one row of text per entry in the
# playlist. With ZEPO_UPDATE_SCREENSHOTS=1 it writes them to docs/; otherwise it leaves
# the source tree alone.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start "$@"

sample="$E2E_BUILD/samples/sample.flv"
[ -f "$sample" ] || e2e_fail "no sample clip $sample"
media="$E2E_DIR/media"
mkdir -p "$media"
entries=(sample.flv 夏祭り.flv 海辺の朝.flv interview-2007.flv)
for name in "${entries[@]}"; do cp "$sample" "$media/$name"; done

# A player large enough to show the panel's parts at ease (a 480 x 360 picture inside an
# openbox frame), with its playlist docked on the right.
printf '[PrevInfo]\r\nMain_x=60\r\nMain_y=60\r\nMain_w=482\r\nMain_h=385\r\nPlayList_Show=1\r\n' \
  >"$E2E_DIR/bin/setting.ini"

# The panel's face colour and the height of its strip at the bottom of the client area.
readonly kPanelFace='#1e2229' kPanelStrip=30
shots="$E2E_DIR/shots"
mkdir -p "$shots"

# Number of pixels of a rectangle (WxH+X+Y) of an image that are not the panel's face.
not_panel() { compare -metric AE -fuzz 15% "$1[$2]" -size "${2%%+*}" "xc:$kPanelFace" null: 2>&1 || true; }
# Number of pixels that differ between the same rectangle of two images.
differing() { compare -metric AE "$1[$3]" "$2[$3]" null: 2>&1 || true; }

# Takes a window with its frame to FILE.png, and that shot's client area to
# FILE-client.png: every check below looks at the very shot that is kept.
framed_shot() { # window file-stem
  local l r t b w h size
  import -window "$1" -frame "$2.png"
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ',')
  read -r _ _ w h < <(e2e_client_geometry "$1")
  size=$(identify -format '%wx%h' "$2.png")
  [ "$size" = "$((w + l + r))x$((h + t + b))" ] \
    || e2e_fail "the shot of $2 is $size, not the ${w}x$h window within its frame ($l $r $t $b)"
  convert "$2.png" -crop "${w}x$h+$l+$t" +repage "$2-client.png"
}

# The panel strip of the player's client area is mostly the panel's face.
panel_shown() {
  framed_shot "$player" "$shots/player"
  [ "$(not_panel "$shots/player-client.png" "$panel")" -lt $((panel_pixels / 2)) ]
}
# The picture above the panel changes within a few display frames.
video_moving() {
  framed_shot "$player" "$shots/before"
  sleep 0.2
  framed_shot "$player" "$shots/after"
  [ "$(differing "$shots/before-client.png" "$shots/after-client.png" "$video")" -gt 200 ]
}

cd "$media" || e2e_fail "no folder $media"
e2e_launch "${entries[@]}"
player=$(e2e_wait_managed_window "sample.flv - ZEPO")
list=$(e2e_wait_managed_window "ZEPO - プレイリスト")
eval "$(xdotool getwindowgeometry --shell "$player")"
[ "${WIDTH}x$HEIGHT" = 480x360 ] || e2e_fail "the player's client area is ${WIDTH}x$HEIGHT, not 480x360"
video="${WIDTH}x$((HEIGHT / 2))+0+$((HEIGHT / 8))"
panel="${WIDTH}x${kPanelStrip}+0+$((HEIGHT - kPanelStrip - 3))"
panel_pixels=$((WIDTH * kPanelStrip))
# The current time, left of "/total", right of the six transport buttons.
times="$((WIDTH - 236))x16+126+$((HEIGHT - 21))"

e2e_until 10 video_moving || e2e_fail "the sample's picture does not move"
# The pointer over the panel's strip, clear of its buttons: the panel shows.
xdotool mousemove --window "$player" $((WIDTH / 2)) $((HEIGHT - 8))
e2e_until 10 panel_shown || e2e_fail "the panel does not show under the pointer"
# Playing on, so that the shot shows the time and the seek bar moved from where they were.
cp "$shots/player-client.png" "$shots/panel-first.png"
time_moved() {
  panel_shown && [ "$(differing "$shots/panel-first.png" "$shots/player-client.png" "$times")" -gt 10 ]
}
e2e_until 10 time_moved || e2e_fail "the panel's time display stood still, or the panel hid"

# The playlist: one row of light text on the dark list per entry (rows are 20 pixels high
# from the top of its client area, names start beside the state column), then empty rows.
row_has_text() { # row
  local lit
  lit=$(convert "$shots/playlist-client.png" -crop "$((list_width - 40))x16+30+$(($1 * 20 + 2))" +repage \
    -colorspace gray -threshold 50% -format '%[fx:mean*w*h]' info:)
  awk -v n="$lit" 'BEGIN { exit !(n > 10) }'
}
framed_shot "$list" "$shots/playlist"
list_width=$(identify -format '%w' "$shots/playlist-client.png")
for row in "${!entries[@]}"; do
  row_has_text "$row" || e2e_fail "the playlist's row $row shows no name"
done
! row_has_text "${#entries[@]}" || e2e_fail "the playlist shows more rows than entries"

if [ "${ZEPO_UPDATE_SCREENSHOTS:-}" = 1 ]; then
  docs="$here/../../docs"
  mkdir -p "$docs"
  convert "$shots/player.png" -strip "$docs/screenshot-player.png"
  convert "$shots/playlist.png" -strip "$docs/screenshot-playlist.png"
  echo "wrote $docs/screenshot-player.png and $docs/screenshot-playlist.png"
fi

wmctrl -i -c "$player"
e2e_wait_exit
echo PASS
