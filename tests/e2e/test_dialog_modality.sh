#!/usr/bin/env bash
# Dialogs and message boxes under a real window manager block their owner, the player,
# and nothing else: the playlist window still takes input (its close box hides it) while
# the player refuses to close. The playlist window and message boxes carry no minimise or
# maximise box. A second start brings a minimised player back on screen.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start "$@"

list_title="ZEPO - プレイリスト"
about_title="ZEPOのﾊﾞｰｼﾞｮﾝ情報"
# Window ids (decimal) whose title is exactly this text: the player ("ZEPO") and its
# message boxes ("zepo") differ only in case, which xdotool's search ignores.
windows_titled() {
  local id desktop pid host title
  wmctrl -lp | while read -r id desktop pid host title; do
    if [ "$title" = "$1" ]; then echo $((id)); fi
  done
}
one_window_titled() { [ "$(windows_titled "$1" | wc -l)" -eq 1 ]; }
no_window_titled() { [ -z "$(windows_titled "$1")" ]; }
mapped() { xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
unmapped() { ! mapped "$1"; }
iconic() { xprop -id "$1" WM_STATE | grep -q 'window state: Iconic'; }
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
# The window asks the window manager for its decorations (Motif hints: flags, functions,
# decorations), and they hold neither the minimise (0x20) nor the maximise (0x40) button.
# Openbox still lists both actions in _NET_WM_ALLOWED_ACTIONS: it lets no hint take
# functions away, only buttons.
no_min_max() {
  local flags functions decorations rest
  read -r flags functions decorations rest < <(xprop -id "$1" _MOTIF_WM_HINTS | sed -n 's/.*= *//p' | tr -d ',')
  [ -n "$decorations" ] && (( (flags & 0x2) && !(decorations & 0x60) ))
}
# A menu of ours is on the screen: a shown window of class zepo that the window manager
# does not manage (override-redirect).
menu_shown() {
  local w
  for w in $(xwininfo -root -children | awk '/^ +0x.*\("zepo"/ { print $1 }'); do
    xwininfo -id "$w" | grep -q 'Override Redirect State: yes' && mapped "$w" && return 0
  done
  return 1
}
# Closing the list let go of its window; showing it again makes a new one.
show_list() {
  e2e_focus "$player"
  xdotool key ctrl+space
  list=$(e2e_wait_managed_window "$list_title")
}
# While a box blocks the player, closing the list hides it and closing the player does
# nothing.
only_the_player_is_blocked() {
  local blocker=$2
  wmctrl -i -c "$list"
  e2e_until 10 unmapped "$list" || e2e_fail "$1: the playlist window took no input"
  wmctrl -i -c "$player"
  # Closing is refused at once or not at all; the box is still there to prove it.
  e2e_until 5 eval 'mapped "$player" && one_window_titled "$blocker"' || e2e_fail "$1: the player closed"
  kill -0 "$E2E_ZEPO_PID" 2>/dev/null || e2e_fail "$1: the player ended"
}

printf '[Setting]\r\nChangeResolution=0\r\n[PrevInfo]\r\nPlayList_Show=1\r\n' >"$E2E_DIR/bin/setting.ini"
e2e_launch
first=$E2E_ZEPO_PID
player=$(e2e_wait_managed_window ZEPO)
list=$(e2e_wait_managed_window "$list_title")
e2e_until 10 no_min_max "$list" || e2e_fail "the playlist window has a minimise or maximise box: $(xprop -id "$list" _MOTIF_WM_HINTS)"

# --- The about box, from the context menu's last item.
read -r -a g <<<"$(e2e_client_geometry "$player")"
e2e_focus "$player"
xdotool mousemove $((g[0] + 30)) $((g[1] + 20)) click 3
e2e_until 10 menu_shown || e2e_fail "no context menu"
xdotool key Up Return
about=$(e2e_wait_managed_window "$about_title")
only_the_player_is_blocked "about box" "$about_title"
wmctrl -i -c "$about"
e2e_until 10 no_window_titled "$about_title" || e2e_fail "the about box did not close"

# --- A message box: a second start hands over a file that does not exist.
show_list
"$E2E_BIN" /no/such.flv >"$E2E_DIR/second.log" 2>&1 &
second=$!
E2E_PIDS+=("$second")
e2e_until 10 one_window_titled zepo || e2e_fail "no message box"
box=$(windows_titled zepo)
e2e_until 10 no_min_max "$box" || e2e_fail "the message box has a minimise or maximise box: $(xprop -id "$box" _MOTIF_WM_HINTS)"
only_the_player_is_blocked "message box" zepo
e2e_focus "$box"
xdotool key Return
e2e_until 10 no_window_titled zepo || e2e_fail "the message box did not close"
e2e_until 10 eval '! kill -0 "$second" 2>/dev/null' || e2e_fail "the second start did not end"

# --- A second start without files brings a minimised player back.
xdotool windowminimize "$player"
e2e_until 10 iconic "$player" || e2e_fail "the player did not minimise"
timeout 20 "$E2E_BIN" || e2e_fail "the second start failed"
e2e_until 10 mapped "$player" || e2e_fail "the second start left the player minimised"
e2e_until 10 is_active "$player" || e2e_fail "the restored player is not active"

wmctrl -i -c "$player"
e2e_wait_exit "$first"
echo PASS
