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
