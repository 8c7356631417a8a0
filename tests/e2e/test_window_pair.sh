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
# "top second" of the window manager's stacking order.
top_two() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr -d ',' | awk '{ print $NF, $(NF-1) }'; }
on_top_with_partner() { [ "$(top_two)" = "$(hex "$1") $(hex "$2")" ]; }
# Clicks a window's title bar, as a user activating it would.
click_title() {
  local x y w h
  read -r x y w h < <(e2e_frame_geometry "$1")
  xdotool mousemove $((x + w / 2)) $((y + 8)) click 1
}
mapped() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
unmapped() { ! mapped "$1"; }
# The four values of a window in setting.ini.
saved() { echo "$(e2e_setting PrevInfo "$1"_x) $(e2e_setting PrevInfo "$1"_y) $(e2e_setting PrevInfo "$1"_w) $(e2e_setting PrevInfo "$1"_h)"; }
# Waits until a window's outer rectangle is the same on two readings a moment apart.
settled() {
  local before
  before=$(e2e_frame_geometry "$1")
  sleep 0.3
  [ "$(e2e_frame_geometry "$1")" = "$before" ]
}
close_player() {
  wmctrl -i -c "$1"
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
  printf '[Setting]\r\nChangeResolution=0\r\n[PrevInfo]\r\nMain_x=100\r\nMain_y=100\r\nMain_w=400\r\nMain_h=300\r\nPlayList_Show=1\r\n' \
    >"$E2E_DIR/bin/setting.ini"
  e2e_launch
  player=$(e2e_wait_managed_window ZEPO)
  list=$(e2e_wait_managed_window "$list_title")
  e2e_until 10 settled "$player" && e2e_until 10 settled "$list" || e2e_fail "the windows do not come to rest"
  read -r px py pw ph < <(e2e_frame_geometry "$player")
  read -r lx ly lw lh < <(e2e_frame_geometry "$list")
  [ "$px $py $pw $ph" = "100 100 400 300" ] || e2e_fail "start $start: player at $px $py $pw $ph"
  [ "$lx $ly $lw $lh" = "500 100 250 350" ] || e2e_fail "start $start: docked list at $lx $ly $lw $lh, want 500 100 250 350"
  close_player "$player"
done

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
e2e_until 10 settled "$list" || e2e_fail "the list does not come to rest"
e2e_focus "$player"
xdotool key alt+Return
e2e_until 10 e2e_has_state "$player" _NET_WM_STATE_FULLSCREEN || e2e_fail "Alt+Enter did not enter full screen"
e2e_until 10 unmapped "$list" || e2e_fail "the list stayed shown in full screen"
close_player "$player"
[ "$(saved Main)" = "100 100 400 300" ] || e2e_fail "closed in full screen: player saved as '$(saved Main)'"
[ "$(saved PlayList)" = "500 100 250 350" ] || e2e_fail "closed in full screen: list saved as '$(saved PlayList)'"
[ "$(e2e_setting PrevInfo PlayList_Show)" = 0 ] || e2e_fail "closed in full screen: PlayList_Show is not 0"
echo PASS
