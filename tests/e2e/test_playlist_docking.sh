#!/usr/bin/env bash
# Docking under a real window manager: a playlist window dragged within 10 pixels of the
# player's top-right corner snaps to it, and a docked playlist follows the player.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

printf '[PrevInfo]\r\nMain_x=100\r\nMain_y=100\r\nMain_w=400\r\nMain_h=300\r\nPlayList_x=700\r\nPlayList_y=400\r\nPlayList_w=250\r\nPlayList_h=350\r\nPlayList_Show=1\r\n' \
  > "$E2E_DIR/bin/setting.ini"
e2e_launch
player=$(e2e_wait_window "ZEPO")
list=$(e2e_wait_window "ZEPO - プレイリスト")
e2e_until 10 e2e_frame_at "$list" 700 400 \
  || e2e_fail "playlist not at its saved place: $(e2e_frame_geometry "$list")"

# Near the corner (500, 100): 8 pixels right and 6 below.
e2e_move_frame "$list" 508 106
e2e_until 10 e2e_frame_at "$list" 500 100 || e2e_fail "playlist did not snap to the corner: $(e2e_frame_geometry "$list")"

# Dragged by its title bar with the mouse and let go near the corner, 6 pixels right and
# 5 below: it snaps once let go, whatever the window manager does with moves asked for
# during its drag. (With no window manager there is no title bar to drag.)
drag_frame_to() { # window x y: presses on the title bar, moves in steps, lets go
  local x y w h step
  read -r x y w h < <(e2e_frame_geometry "$1")
  local from_x=$((x + w / 2)) from_y=$((y + 8))
  xdotool mousemove --sync "$from_x" "$from_y"
  xdotool mousedown 1
  for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove --sync $((from_x + ($2 - x) * step / 8)) $((from_y + ($3 - y) * step / 8))
    sleep 0.05
  done
  xdotool mouseup 1
}
# Where a window manager's drag ends is its own (some pull the window by its frame, some
# by its client): what must hold is that a list let go within the snap distance stands
# exactly at the corner, never a few pixels off it.
snapped_or_away() {
  local x y w h
  read -r x y w h < <(e2e_frame_geometry "$list")
  [ "$x $y" = "500 100" ] || [ $((x - 500)) -gt 10 ] || [ $((500 - x)) -gt 10 ] || [ $((y - 100)) -gt 10 ] \
    || [ $((100 - y)) -gt 10 ]
}
if [ "$E2E_WM" != none ]; then
  e2e_move_frame "$list" 700 400
  e2e_until 10 e2e_frame_at "$list" 700 400 || e2e_fail "playlist not moved away: $(e2e_frame_geometry "$list")"
  drag_frame_to "$list" 506 105
  e2e_until 10 e2e_settled "$list" && e2e_until 5 snapped_or_away \
    || e2e_fail "playlist let go near the corner did not snap: $(e2e_frame_geometry "$list")"
  echo "dragged near the corner: the list stands at $(e2e_frame_geometry "$list")"
  # Back to the corner for what follows.
  if ! e2e_frame_at "$list" 500 100; then
    e2e_move_frame "$list" 508 106
    e2e_until 10 e2e_frame_at "$list" 500 100 || e2e_fail "playlist did not snap to the corner again: $(e2e_frame_geometry "$list")"
  fi
fi

# Moving the player carries the docked playlist.
e2e_move_frame "$player" 150 200
beside_player() {
  local px py pw ph
  read -r px py pw ph < <(e2e_frame_geometry "$player")
  e2e_frame_at "$list" $((px + pw)) "$py"
}
e2e_until 10 beside_player \
  || e2e_fail "playlist at $(e2e_frame_geometry "$list"), player at $(e2e_frame_geometry "$player")"

e2e_close_window "$player"
e2e_wait_exit
echo PASS
