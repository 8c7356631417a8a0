#!/usr/bin/env bash
# Saving the playlist over files the user protected, on the real binary: a read-only
# playlist chosen in the save dialog is kept as it was and "書き込み失敗" is shown; a
# playlist that is a link is written through to its target, which keeps its mode, and the
# link stays a link.
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/xorg_dummy.sh"
e2e_start "$@"

clip="$E2E_BUILD/fixtures/flv1_mp3.flv"
[ -f "$clip" ] || e2e_fail "no clip $clip"
media="$E2E_DIR/media"
mkdir -p "$media/real"
cp "$clip" "$media/a.flv"
printf '[PrevInfo]\r\nPlayList_Show=1\r\n' >"$E2E_DIR/bin/setting.ini"

printf '[PlayList]\r\n/kept.flv\r\n' >"$media/kept.zepo"
chmod 444 "$media/kept.zepo"
printf '[PlayList]\r\n' >"$media/real/target.zepo"
chmod 640 "$media/real/target.zepo"
ln -s real/target.zepo "$media/linked.zepo"

# Saves the playlist over an existing file: the dialog asks first, and is told yes.
save_over() { # playlist-window file
  local confirm
  e2e_save_playlist_as "$1" "$2"
  for _ in $(seq 1 100); do
    confirm=$(xdotool getactivewindow 2>/dev/null || true)
    [ -n "$confirm" ] && [ "$confirm" != "$E2E_SAVE_DIALOG" ] && break
    sleep 0.05
  done
  xdotool key --window "$confirm" alt+y
}

cd "$media"
e2e_launch a.flv
player=$(e2e_wait_window "a.flv - ZEPO")
list=$(e2e_wait_window "ZEPO - プレイリスト")

save_over "$list" "$media/kept.zepo"
# The message box is captioned with the executable's name and shows the text.
box=$(e2e_wait_managed_window "zepo")
e2e_screenshot "$E2E_DIR/refused.png"
[ "$(od -c <"$media/kept.zepo")" = "$(printf '[PlayList]\r\n/kept.flv\r\n' | od -c)" ] \
  || e2e_fail "the read-only playlist was written"
[ "$(stat -c %a "$media/kept.zepo")" = 444 ] || e2e_fail "the read-only playlist is now $(stat -c %a "$media/kept.zepo")"
grep -q "zepo.playlist: warning: .*kept.zepo: read-only" "$E2E_DIR/zepo.log" \
  || { cat "$E2E_DIR/zepo.log" >&2; e2e_fail "no warning naming the read-only playlist"; }
e2e_focus "$box"
xdotool key Return
e2e_until 5 eval '! xdotool search --onlyvisible --name "^zepo\$" >/dev/null 2>&1' || e2e_fail "the message box did not close"

save_over "$list" "$media/linked.zepo"
e2e_until 5 eval 'grep -q a.flv "$media/real/target.zepo"' || e2e_fail "the link's target was not written"
[ -L "$media/linked.zepo" ] || e2e_fail "the playlist link was replaced by a file"
[ "$(stat -c %a "$media/real/target.zepo")" = 640 ] || e2e_fail "the target's mode changed"
[ "$(od -c <"$media/real/target.zepo")" = "$(printf '[PlayList]\r\n%s\r\n' a.flv | od -c)" ] \
  || e2e_fail "the target holds $(od -c <"$media/real/target.zepo")"

wmctrl -i -c "$player"
e2e_wait_exit
echo PASS
