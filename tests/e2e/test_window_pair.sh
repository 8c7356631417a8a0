#!/usr/bin/env bash
# The player and its playlist window under a real window manager: clicking either one
# leaves it on top with its partner directly behind it, above other programs' windows;
# a docked list starts exactly at the player's corner; and the saved rectangles come
# back unchanged start after start, whether the list was shown, hidden or the player
# closed in full screen.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start "$@"

list_title="ZEPO - プレイリスト"
hex() { printf '0x%x' "$1"; }
# "top second" of the stacking order.
top_two() { e2e_stacking | head -n2 | tr '\n' ' ' | sed 's/ $//'; }
# i3 stacks floating windows only as they take the focus and ignores requests to restack
# them: there the clicked window comes on top, and its partner stays where it was.
on_top_with_partner() {
  if [ "$E2E_WM" = i3 ]; then
    [ "$(top_two | cut -d' ' -f1)" = "$(hex "$1")" ]
  else
    [ "$(top_two)" = "$(hex "$1") $(hex "$2")" ]
  fi
}
# Clicks a window's title bar, as a user activating it would; with no window manager
# there is none, and the user's way to a window is the focus.
click_title() {
  if [ "$E2E_WM" = none ]; then
    e2e_focus "$1"
    return
  fi
  local x y w h
  read -r x y w h < <(e2e_frame_geometry "$1")
  xdotool mousemove --sync $((x + w / 2)) $((y + 8))
  xdotool click 1
}
mapped() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
unmapped() { ! mapped "$1"; }
# The four values of a window in setting.ini.
saved() { echo "$(e2e_setting PrevInfo "$1"_x) $(e2e_setting PrevInfo "$1"_y) $(e2e_setting PrevInfo "$1"_w) $(e2e_setting PrevInfo "$1"_h)"; }
# The list's frame stands at the player's top-right corner.
beside_player() {
  local px py pw ph
  read -r px py pw ph < <(e2e_frame_geometry "$player")
  e2e_frame_at "$list" $((px + pw)) "$py"
}
# Starts the player at 100 100 400 300 with its list shown, docked by default, and waits
# until both windows are at rest.
start_docked_pair() {
  printf '[Setting]\r\nChangeResolution=0\r\n[PrevInfo]\r\nMain_x=100\r\nMain_y=100\r\nMain_w=400\r\nMain_h=300\r\nPlayList_Show=1\r\n' \
    >"$E2E_DIR/bin/setting.ini"
  e2e_launch
  player=$(e2e_wait_managed_window ZEPO)
  list=$(e2e_wait_managed_window "$list_title")
  e2e_until 10 e2e_settled "$player" && e2e_until 10 e2e_settled "$list" || e2e_fail "the windows do not come to rest"
}
close_player() {
  e2e_close_window "$1"
  e2e_wait_exit
}

# --- Activation: the list overlaps the player, another program's window both.
printf '[Setting]\r\nChangeResolution=0\r\n[PrevInfo]\r\nMain_x=100\r\nMain_y=100\r\nMain_w=400\r\nMain_h=300\r\n' >"$E2E_DIR/bin/setting.ini"
printf 'PlayList_x=450\r\nPlayList_y=150\r\nPlayList_w=250\r\nPlayList_h=350\r\nPlayList_Show=1\r\n' >>"$E2E_DIR/bin/setting.ini"
e2e_launch
player=$(e2e_wait_managed_window ZEPO)
list=$(e2e_wait_managed_window "$list_title")
xmessage -geometry 300x120+250+260 "another program" >/dev/null 2>&1 &
E2E_PIDS+=($!)
other=$(e2e_wait_managed_window xmessage)
e2e_until 10 eval '[ "$(top_two | cut -d" " -f1)" = "$(hex "$other")" ]' || e2e_fail "the other window did not come on top"

click_title "$list"
e2e_until 10 on_top_with_partner "$list" "$player" \
  || e2e_fail "clicking the list: stacking top is '$(top_two)', want list $(hex "$list") then player $(hex "$player")"
e2e_focus "$other"
# With no window manager nothing raises a window the user turns to; the user does.
[ "$E2E_WM" = none ] && xdotool windowraise "$other"
e2e_until 10 eval '[ "$(top_two | cut -d" " -f1)" = "$(hex "$other")" ]' || e2e_fail "the other window did not come back on top"
click_title "$player"
e2e_until 10 on_top_with_partner "$player" "$list" \
  || e2e_fail "clicking the player: stacking top is '$(top_two)', want player $(hex "$player") then list $(hex "$list")"
click_title "$list"
e2e_until 10 on_top_with_partner "$list" "$player" \
  || e2e_fail "clicking the list again: stacking top is '$(top_two)'"
close_player "$player"

# --- A docked list shown at start sits exactly at the player's top-right corner.
for start in 1 2 3 4; do
  start_docked_pair
  read -r px py pw ph < <(e2e_frame_geometry "$player")
  read -r lx ly lw lh < <(e2e_frame_geometry "$list")
  [ "$px $py $pw $ph" = "100 100 400 300" ] || e2e_fail "start $start: player at $px $py $pw $ph"
  [ "$lx $ly $lw $lh" = "500 100 250 350" ] || e2e_fail "start $start: docked list at $lx $ly $lw $lh, want 500 100 250 350"
  close_player "$player"
done

# --- A docked list comes back docked from full screen, stays docked when hidden and shown
# again, and goes on following the player.
start_docked_pair
e2e_focus "$player"
xdotool key alt+Return
e2e_until 10 e2e_client_geometry_is "$player" "0 0 1280 1024" \
  || e2e_fail "Alt+Enter did not cover the screen: the player is at $(e2e_client_geometry "$player")"
e2e_until 10 unmapped "$list" || e2e_fail "the list stayed shown in full screen"
xdotool key Escape
e2e_until 10 eval '[ "$(e2e_frame_geometry "$player")" = "100 100 400 300" ]' \
  || e2e_fail "after full screen the player is at $(e2e_frame_geometry "$player")"
e2e_until 10 mapped "$list" && e2e_until 10 e2e_frame_at "$list" 500 100 \
  || e2e_fail "after full screen the list is at $(e2e_frame_geometry "$list"), want 500 100"
for toggle in 1 2; do
  e2e_focus "$player"
  xdotool key ctrl+space
  e2e_until 10 unmapped "$list" || e2e_fail "toggle $toggle: Ctrl+Space did not hide the list"
  xdotool key ctrl+space
  e2e_until 10 mapped "$list" || e2e_fail "toggle $toggle: Ctrl+Space did not show the list"
  e2e_until 10 e2e_settled "$list" && e2e_frame_at "$list" 500 100 \
    || e2e_fail "toggle $toggle: the list came back at $(e2e_frame_geometry "$list"), want 500 100"
done
e2e_move_frame "$player" 200 150
e2e_until 10 beside_player \
  || e2e_fail "the list did not follow the player: at $(e2e_frame_geometry "$list"), the player at $(e2e_frame_geometry "$player")"
close_player "$player"

# --- Ten start/close cycles with the list shown and hidden again, then one closed in
# full screen: the saved rectangles never change.
printf '[Setting]\r\nChangeResolution=0\r\n[PrevInfo]\r\nMain_x=100\r\nMain_y=100\r\nMain_w=400\r\nMain_h=300\r\n' >"$E2E_DIR/bin/setting.ini"
printf 'PlayList_x=500\r\nPlayList_y=100\r\nPlayList_w=250\r\nPlayList_h=350\r\nPlayList_Show=0\r\n' >>"$E2E_DIR/bin/setting.ini"
for cycle in $(seq 1 10); do
  e2e_launch
  player=$(e2e_wait_managed_window ZEPO)
  list=$(e2e_wait_window "$list_title")
  e2e_focus "$player"
  xdotool key ctrl+space
  e2e_until 10 mapped "$list" || e2e_fail "cycle $cycle: Ctrl+Space did not show the list"
  e2e_focus "$list"
  xdotool key ctrl+space
  e2e_until 10 unmapped "$list" || e2e_fail "cycle $cycle: Ctrl+Space did not hide the list"
  close_player "$player"
  [ "$(saved Main)" = "100 100 400 300" ] || e2e_fail "cycle $cycle: player saved as '$(saved Main)'"
  [ "$(saved PlayList)" = "500 100 250 350" ] || e2e_fail "cycle $cycle: hidden list saved as '$(saved PlayList)'"
done

sed -i 's/PlayList_Show=0/PlayList_Show=1/' "$E2E_DIR/bin/setting.ini"
e2e_launch
player=$(e2e_wait_managed_window ZEPO)
list=$(e2e_wait_managed_window "$list_title")
e2e_until 10 e2e_settled "$list" || e2e_fail "the list does not come to rest"
e2e_focus "$player"
xdotool key alt+Return
e2e_until 10 e2e_client_geometry_is "$player" "0 0 1280 1024" \
  || e2e_fail "Alt+Enter did not cover the screen: the player is at $(e2e_client_geometry "$player")"
e2e_until 10 unmapped "$list" || e2e_fail "the list stayed shown in full screen"
close_player "$player"
[ "$(saved Main)" = "100 100 400 300" ] || e2e_fail "closed in full screen: player saved as '$(saved Main)'"
[ "$(saved PlayList)" = "500 100 250 350" ] || e2e_fail "closed in full screen: list saved as '$(saved PlayList)'"
[ "$(e2e_setting PrevInfo PlayList_Show)" = 0 ] || e2e_fail "closed in full screen: PlayList_Show is not 0"
echo PASS
