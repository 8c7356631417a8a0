#!/usr/bin/env bash
# A second start hands its files to the running player and waits until the player has
# handled them, message boxes included; it never opens a window of its own. A second
# start without files brings the player to the front. A player that was killed leaves
# no lock behind.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

# Window ids (decimal) whose title is exactly this text; xdotool's search ignores case,
# and the player ("ZEPO") and its message boxes ("zepo") differ only in case.
windows_titled() {
  local id desktop pid host title
  wmctrl -lp | while read -r id desktop pid host title; do
    if [ "$title" = "$1" ]; then echo $((id)); fi
  done
}
window_pid() { wmctrl -lp | awk -v id="$(printf '0x%08x' "$1")" '$1 == id { print $3 }'; }
one_window_titled() { [ "$(windows_titled "$1" | wc -l)" -eq 1 ]; }
no_window_titled() { [ -z "$(windows_titled "$1")" ]; }
has_ended() { ! kill -0 "$1" 2>/dev/null; }
is_active() { [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]; }
# Top of the window manager's stacking order.
topmost() { xprop -root _NET_CLIENT_LIST_STACKING | awk '{ print $NF }'; }

e2e_launch
first=$E2E_ZEPO_PID
e2e_until 10 one_window_titled ZEPO || e2e_fail "the player window did not open"
player=$(windows_titled ZEPO)

# --- A missing file handed over: the running player reports it, the sender waits.
"$E2E_BIN" /no/such.flv >"$E2E_DIR/second.log" 2>&1 &
second=$!
E2E_PIDS+=("$second")
e2e_until 10 one_window_titled zepo || e2e_fail "no message box captioned 'zepo'"
box=$(windows_titled zepo)
[ "$(window_pid "$box")" = "$first" ] || e2e_fail "the message box does not belong to the running player"
# The box waits for the user, and so does the second start.
kill -0 "$second" 2>/dev/null || e2e_fail "the second start ended before the message box was closed"
no_window_titled zepo && e2e_fail "the message box went away by itself"
for id in $(wmctrl -lp | awk -v pid="$second" '$3 == pid { print $1 }'); do
  e2e_fail "the second start opened a window ($id)"
done
[ -e "$E2E_DIR/bin/setting.ini" ] && e2e_fail "setting.ini was written while the player runs"

xdotool windowactivate "$box" 2>/dev/null || true
e2e_until 5 is_active "$box" || e2e_fail "the message box cannot be focused"
xdotool key --clearmodifiers Return
e2e_until 10 has_ended "$second" || e2e_fail "the second start did not end once the box was closed"
wait "$second" && status=0 || status=$?
[ "$status" -eq 0 ] || e2e_fail "the second start ended with status $status"
no_window_titled zepo || e2e_fail "the message box is still open"
kill -0 "$first" 2>/dev/null || e2e_fail "the running player ended"

# --- Every argument is a path, also one that looks like a toolkit option.
(cd "$E2E_DIR/home" && exec "$E2E_BIN" -reverse) >"$E2E_DIR/third.log" 2>&1 &
third=$!
E2E_PIDS+=("$third")
e2e_until 10 one_window_titled zepo || e2e_fail "'-reverse' was not taken as a missing path"
xdotool windowactivate "$(windows_titled zepo)" 2>/dev/null || true
e2e_until 5 is_active "$(windows_titled zepo)" || e2e_fail "the second message box cannot be focused"
xdotool key --clearmodifiers Return
e2e_until 10 has_ended "$third" || e2e_fail "the start with '-reverse' did not end"

# --- A start without files brings the player to the front.
xmessage -title other "another program" >/dev/null 2>&1 &
E2E_PIDS+=($!)
e2e_until 10 one_window_titled other || e2e_fail "the other window did not open"
other=$(windows_titled other)
xdotool windowactivate "$other" 2>/dev/null || true
e2e_until 5 is_active "$other" || e2e_fail "the other window did not come to the front"
timeout 20 "$E2E_BIN" || e2e_fail "a start without files did not end with status 0"
e2e_until 5 is_active "$player" || e2e_fail "the player was not brought to the front"
[ "$(topmost)" = "$(printf '0x%x' "$player")" ] || e2e_fail "the player is not on top"
no_window_titled zepo || e2e_fail "a start without files showed a message"

# --- A killed player leaves no lock behind: the next start runs a player of its own.
kill -KILL "$first"
wait "$first" 2>/dev/null || true
e2e_until 10 no_window_titled ZEPO || e2e_fail "the killed player's window stayed"
e2e_launch
e2e_until 10 one_window_titled ZEPO || e2e_fail "no player started after the first was killed"
[ "$(window_pid "$(windows_titled ZEPO)")" = "$E2E_ZEPO_PID" ] || e2e_fail "the new player window is not the new process's"
ls "$XDG_RUNTIME_DIR"/MultiplexStartingPreventionTest-* >/dev/null || e2e_fail "the channel is not in the runtime folder"

# --- Another program holds the name in the abstract namespace, where any local user can
# take it, with its backlog full; and two starts come at once. One player runs, the
# other start hands over to it and ends.
kill -KILL "$E2E_ZEPO_PID"
wait "$E2E_ZEPO_PID" 2>/dev/null || true
e2e_until 10 no_window_titled ZEPO || e2e_fail "the killed player's window stayed"
python3 - "MultiplexStartingPreventionTest-$(id -u)-$DISPLAY" "$E2E_DIR/squatting" <<'EOF' &
import socket, sys, time
name = "\0" + sys.argv[1]
server = socket.socket(socket.AF_UNIX)
server.bind(name)
server.listen(0)
held = []
try:
    while True:
        client = socket.socket(socket.AF_UNIX)
        client.setblocking(False)
        client.connect(name)
        held.append(client)
except OSError:
    pass
open(sys.argv[2], "w").close()
time.sleep(600)
EOF
E2E_PIDS+=($!)
e2e_until 10 test -e "$E2E_DIR/squatting" || e2e_fail "the squatter did not start"
"$E2E_BIN" >"$E2E_DIR/twin1.log" 2>&1 &
twin1=$!
"$E2E_BIN" >"$E2E_DIR/twin2.log" 2>&1 &
twin2=$!
E2E_PIDS+=("$twin1" "$twin2")
e2e_until 10 one_window_titled ZEPO || e2e_fail "no player window, or more than one, for two starts at once"
one_ended() { has_ended "$twin1" || has_ended "$twin2"; }
e2e_until 10 one_ended || e2e_fail "neither of two starts at once handed over and ended"
if has_ended "$twin1" && has_ended "$twin2"; then e2e_fail "both starts at once ended"; fi
one_window_titled ZEPO || e2e_fail "two player windows for two starts at once"
if grep -q "runs alone" "$E2E_DIR"/twin*.log; then e2e_fail "a start ran alone: $(cat "$E2E_DIR"/twin*.log)"; fi

echo "PASS"
