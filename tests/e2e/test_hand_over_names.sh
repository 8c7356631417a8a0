#!/usr/bin/env bash
# A second start hands over every path whole, whatever its name holds: "|", a line break,
# "%", a leading "-", bytes that are not UTF-8. The files replace the running player's
# list and play one after another; none is reported missing. A Japanese name in Shift-JIS
# or EUC-JP shows in Japanese in the title; other bytes that are not UTF-8 as U+FFFD.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

# The last three: "テスト.flv" in Shift-JIS, "テスト2.flv" in EUC-JP, and two bytes that
# are neither.
names=('a|b.flv' $'new\nline.flv' '100%.flv' '-dash.flv' $'\x83\x65\x83\x58\x83\x67.flv'
       $'\xa5\xc6\xa5\xb9\xa5\xc82.flv' $'\xff\xfe.flv')
# How the player's title shows each.
titles=('a|b.flv' $'new\nline.flv' '100%.flv' '-dash.flv' 'テスト.flv' 'テスト2.flv' $'\xef\xbf\xbd\xef\xbf\xbd.flv')
media="$E2E_DIR/media"
mkdir -p "$media"
for name in first.flv "${names[@]}"; do e2e_copy_clip "$media/$name"; done

e2e_launch "$media/first.flv"
player=$(e2e_wait_window "first.flv - ZEPO")

title_is() { [ "$(xdotool getwindowname "$player" 2>/dev/null)" = "$1" ]; }
has_ended() { ! kill -0 "$1" 2>/dev/null; }

# Relative names: the second start makes them absolute in its own folder.
(cd "$media" && exec "$E2E_BIN" "${names[@]}") >"$E2E_DIR/second.log" 2>&1 &
second=$!
E2E_PIDS+=("$second")
# The player reports a missing path in a message box before it answers: a second start
# that ends has had every path found.
e2e_until 10 has_ended "$second" || e2e_fail "the second start did not end: a path was reported missing"
wait "$second" || e2e_fail "the second start ended with status $?"

# Each file plays in turn (the clips are 3 s long).
for title in "${titles[@]}"; do
  e2e_until 10 title_is "$title - ZEPO" || e2e_fail "never played: $(printf '%q' "$title")"
done

wmctrl -i -c "$player"
e2e_wait_exit
echo PASS
