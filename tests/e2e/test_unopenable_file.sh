#!/usr/bin/env bash
# A queued file that has gone away before its turn does not stop the list: a few seconds
# into its turn the player goes on with the next file and tells the user, in a message
# box of the player, which file it could not open; stderr has the same in one line.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

media="$E2E_DIR/media"
mkdir -p "$media"
e2e_copy_clip "$media/a.flv" "$media/b.flv" "$media/c.flv"
printf '[PlayList]\r\n%s\r\n%s\r\n%s\r\n' "$media/a.flv" "$media/b.flv" "$media/c.flv" >"$media/list.zepo"

e2e_launch "$media/list.zepo"
player=$(e2e_wait_window "a.flv - ZEPO")
rm "$media/b.flv"

title_is() { [ "$(xdotool getwindowname "$player" 2>/dev/null)" = "$1" ]; }
box_of_player() {
  local id
  id=$(wmctrl -lp | awk -v pid="$E2E_ZEPO_PID" '$3 == pid && $5 == "zepo" && NF == 5 { print $1 }')
  [ -n "$id" ] && echo "$id"
}

e2e_until 10 title_is "b.flv - ZEPO" || e2e_fail "b.flv never had its turn"
e2e_until 15 title_is "c.flv - ZEPO" || e2e_fail "the list stopped at the file that would not open"
e2e_until 5 box_of_player >/dev/null || e2e_fail "the player did not tell which file it could not open"
grep -q "zepo.movies: warning: $media/b.flv: the file cannot be read: No such file or directory - going on" \
  "$E2E_DIR/zepo.log" ||
  e2e_fail "no line on stderr naming b.flv: $(cat "$E2E_DIR/zepo.log")"

box=$(box_of_player)
xdotool windowactivate "$box" 2>/dev/null || true
xdotool key --clearmodifiers Return
e2e_until 10 eval '! box_of_player >/dev/null' || e2e_fail "the message box did not close"
title_is "c.flv - ZEPO" || e2e_fail "c.flv stopped playing"

wmctrl -i -c "$player"
e2e_wait_exit
echo PASS
