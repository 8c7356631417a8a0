#!/usr/bin/env bash
# Opening files: `zepo a.flv b.flv folder/ list.zepo` plays the first file at once, lists
# the rest in order and plays them one after another; the list saved with the save button
# reloads to the same entries; a double click plays the clicked entry; a second start's
# files replace the list.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

media="$E2E_DIR/media"
mkdir -p "$media/folder/sub"
# Three-second clips, so that playing through takes moments.
clip="$E2E_BUILD/fixtures/flv1_mp3.flv"
[ -f "$clip" ] || e2e_fail "no clip $clip"
for f in a.flv b.flv folder/c.flv folder/sub/d.flv e.flv f.flv; do cp "$clip" "$media/$f"; done
printf 'not a video' >"$media/folder/notes.txt"
printf '[PlayList]\r\ne.flv\r\nmissing.flv\r\n%s\r\n' "$media/f.flv" >"$media/list.zepo"
printf '[PrevInfo]\r\nPlayList_Show=1\r\n' >"$E2E_DIR/bin/setting.ini"

# Presses the playlist's save button and answers the save dialog with a name typed
# without extension; waits for NAME.zepo.
save_list() {
  local list=$1 name=$2 i
  e2e_save_playlist_as "$list" "$name"
  for i in $(seq 1 100); do
    [ -s "$name.zepo" ] && return 0
    sleep 0.05
  done
  e2e_fail "no $name.zepo written"
}

cd "$media"
e2e_launch a.flv b.flv folder/ list.zepo
player=$(e2e_wait_window "a.flv - ZEPO")
list=$(e2e_wait_window "ZEPO - プレイリスト")
# The end of each file plays the next one.
e2e_wait_window "b.flv - ZEPO" >/dev/null
e2e_wait_window "c.flv - ZEPO" >/dev/null
save_list "$list" "$E2E_DIR/first"
expected=$(printf '[PlayList]\r\na.flv\r\nb.flv\r\nfolder/c.flv\r\nfolder/sub/d.flv\r\ne.flv\r\n%s\r\n' "$media/f.flv" | od -c)
[ "$(od -c <"$E2E_DIR/first.zepo")" = "$expected" ] || {
  od -c "$E2E_DIR/first.zepo" >&2
  e2e_fail "the saved list is not the files in order"
}

# A double click on the first row (rows are 20 pixels high) plays a.flv again.
xdotool mousemove --window "$list" 100 10 click --repeat 2 --delay 80 1
e2e_wait_window "a.flv - ZEPO" >/dev/null

wmctrl -i -c "$player"
e2e_wait_exit

# The saved list opens to the same entries.
e2e_launch "$E2E_DIR/first.zepo"
player=$(e2e_wait_window "a.flv - ZEPO")
list=$(e2e_wait_window "ZEPO - プレイリスト")
# The list takes in one path a frame once the window shows: it is saved anew until it
# holds every entry.
reloaded_whole() {
  attempt=$((attempt + 1))
  save_list "$list" "$E2E_DIR/second$attempt"
  cmp -s "$E2E_DIR/first.zepo" "$E2E_DIR/second$attempt.zepo"
}
attempt=0
e2e_until 20 reloaded_whole || {
  od -c "$E2E_DIR/second$attempt.zepo" >&2
  e2e_fail "the reloaded list differs"
}

# A second start hands its files over, a relative path made absolute where it was given:
# they replace the list.
mkdir -p "$E2E_DIR/other"
cp "$clip" "$E2E_DIR/other/x.flv"
(cd "$E2E_DIR/other" && timeout 20 "$E2E_BIN" x.flv) || e2e_fail "the second start failed"
e2e_wait_window "x.flv - ZEPO" >/dev/null
save_list "$list" "$E2E_DIR/third"
[ "$(od -c <"$E2E_DIR/third.zepo")" = "$(printf '[PlayList]\r\n%s\r\n' "$E2E_DIR/other/x.flv" | od -c)" ] ||
  e2e_fail "the handed-over file did not replace the list"

wmctrl -i -c "$player"
e2e_wait_exit
echo PASS
