#!/usr/bin/env bash
# Opening files: `zepo a.flv b.flv folder/ list.zepo` plays the first file at once and
# lists the rest in order; the list saved with the save button reloads to the same
# entries; a double click plays the clicked entry.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

media="$E2E_DIR/media"
mkdir -p "$media/folder/sub"
sample="$E2E_BUILD/samples/sample.flv"
for f in a.flv b.flv folder/c.flv folder/sub/d.flv e.flv f.flv; do
  if [ -f "$sample" ]; then cp "$sample" "$media/$f"; else printf 'FLV\001\005' >"$media/$f"; fi
done
printf 'not a video' >"$media/folder/notes.txt"
printf '[PlayList]\r\ne.flv\r\nmissing.flv\r\n%s\r\n' "$media/f.flv" >"$media/list.zepo"
printf '[PrevInfo]\r\nPlayList_Show=1\r\n' >"$E2E_DIR/bin/setting.ini"

# Presses the playlist's save button and answers the save dialog with a name typed
# without extension; waits for NAME.zepo.
save_list() {
  local list=$1 name=$2 dialog i
  eval "$(xdotool getwindowgeometry --shell "$list")"
  xdotool mousemove --window "$list" 205 $((HEIGHT - 15)) click 1
  dialog=$(e2e_wait_window "名前を付けて保存")
  xdotool windowactivate --sync "$dialog" 2>/dev/null || true
  xdotool key --window "$dialog" ctrl+a
  xdotool type --delay 5 "$name"
  xdotool key Return
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
sleep 0.5
save_list "$list" "$E2E_DIR/first"
expected=$(printf '[PlayList]\r\na.flv\r\nb.flv\r\nfolder/c.flv\r\nfolder/sub/d.flv\r\ne.flv\r\n%s\r\n' "$media/f.flv" | od -c)
[ "$(od -c <"$E2E_DIR/first.zepo")" = "$expected" ] || {
  od -c "$E2E_DIR/first.zepo" >&2
  e2e_fail "the saved list is not the files in order"
}
e2e_wait_window "a.flv - ZEPO" >/dev/null

# A double click on the second row (rows are 20 pixels high) plays b.flv.
xdotool mousemove --window "$list" 100 30 click --repeat 2 --delay 80 1
e2e_wait_window "b.flv - ZEPO" >/dev/null

wmctrl -i -c "$player"
wait "$E2E_ZEPO_PID"

# The saved list opens to the same entries.
e2e_launch "$E2E_DIR/first.zepo"
player=$(e2e_wait_window "a.flv - ZEPO")
list=$(e2e_wait_window "ZEPO - プレイリスト")
sleep 0.5
save_list "$list" "$E2E_DIR/second"
cmp "$E2E_DIR/first.zepo" "$E2E_DIR/second.zepo" || e2e_fail "the reloaded list differs"

wmctrl -i -c "$player"
wait "$E2E_ZEPO_PID"
echo PASS
