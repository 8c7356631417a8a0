# Shared by the end-to-end tests: a private X server with a window manager, a private
# copy of the binary (setting.ini lives beside it), and small helpers to drive and
# inspect windows. Source it; then call e2e_start "$@". With E2E_KEEP=1 the test's
# folder (logs, setting.ini, screenshots) is kept for a look afterwards, and named on stderr.
#
# ZEPO_E2E_WM names the window manager the test runs under: openbox (the default), xfwm4,
# kwin_x11, mutter, i3 (floating, by tests/e2e/i3.conf) or none; or "given": the display
# in DISPLAY with the window manager already on it (XWayland under a Wayland compositor,
# started by scripts/desktop-matrix.sh). The helpers below work under each, so a test
# states what a user sees, not what one window manager does.
set -euo pipefail

E2E_LIB_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
E2E_WM=${ZEPO_E2E_WM:-openbox}
E2E_BIN=""
E2E_BUILD=""
E2E_DIR=""
E2E_PIDS=()

e2e_fail() { echo "FAIL: $*" >&2; exit 1; }

e2e_cleanup() {
  e2e_stop_processes
  [ -n "$E2E_DIR" ] || return 0
  if [ -n "${E2E_KEEP:-}" ]; then echo "kept: $E2E_DIR" >&2; else rm -rf "$E2E_DIR"; fi
}

# e2e_start ZEPO_BINARY BUILD_DIR: Xvfb + openbox on a free display, binary copied.
e2e_start() {
  E2E_BUILD=$2
  E2E_DIR=$(mktemp -d /tmp/zepo-e2e.XXXXXX)
  trap e2e_cleanup EXIT
  mkdir -p "$E2E_DIR/bin" "$E2E_DIR/home"
  e2e_install_binary "$1"
  export HOME="$E2E_DIR/home"
  # The session's private runtime folder, where the single-instance channel lives.
  mkdir -m 700 "$E2E_DIR/runtime"
  export XDG_RUNTIME_DIR="$E2E_DIR/runtime"
  export SDL_AUDIODRIVER=dummy
  unset QT_QPA_PLATFORM
  # Servers started side by side by parallel tests can race for a display number, and
  # the window manager may then find no server; such a start is thrown away and redone.
  local attempt
  for attempt in 1 2 3; do
    e2e_start_display && return 0
    echo "(attempt $attempt: no window manager on display '${DISPLAY:-}'; starting again)" >&2
    e2e_stop_processes
  done
  e2e_fail "no X server with a window manager could be started"
}

# Copies the binary with the mode guard that lives beside it, as they are installed.
e2e_install_binary() { # ZEPO_BINARY
  cp "$1" "$E2E_DIR/bin/zepo"
  cp "$(dirname "$1")/zepo-mode-guard" "$E2E_DIR/bin/zepo-mode-guard"
  E2E_BIN="$E2E_DIR/bin/zepo"
}

e2e_start_display() {
  if [ "$E2E_WM" = given ]; then
    [ -n "${DISPLAY:-}" ] || e2e_fail "ZEPO_E2E_WM=given needs DISPLAY"
    e2e_window_manager_ready
    return
  fi
  rm -f "$E2E_DIR/display"
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$E2E_DIR/display" 2>>"$E2E_DIR/xvfb.log" &
  E2E_PIDS+=($!)
  local i
  for i in $(seq 1 400); do
    [ -s "$E2E_DIR/display" ] && break
    sleep 0.05
  done
  [ -s "$E2E_DIR/display" ] || return 1
  export DISPLAY=":$(head -n1 "$E2E_DIR/display")"
  e2e_start_window_manager
  e2e_window_manager_ready
}

# Starts the window manager E2E_WM names on DISPLAY, with the session bus and runtime
# folder the desktop ones want, each test its own.
e2e_start_window_manager() {
  local log="$E2E_DIR/$E2E_WM.log"
  [ "$E2E_WM" = none ] && return 0
  case $E2E_WM in xfwm4 | kwin_x11 | mutter) e2e_start_session_bus ;; esac
  case $E2E_WM in
    openbox) openbox --sm-disable >>"$log" 2>&1 & ;;
    xfwm4) xfwm4 --compositor=off --sm-client-disable >>"$log" 2>&1 & ;;
    # Xvfb has no GL: kwin draws without compositing, as on a plain X server.
    kwin_x11) KWIN_COMPOSE=N QT_QPA_PLATFORM=xcb kwin_x11 --replace >>"$log" 2>&1 & ;;
    mutter) mutter --x11 --replace --sm-disable >>"$log" 2>&1 & ;;
    i3) i3 -c "$E2E_LIB_DIR/i3.conf" >>"$log" 2>&1 & ;;
    *) e2e_fail "unknown window manager '$E2E_WM' (ZEPO_E2E_WM)" ;;
  esac
  E2E_PIDS+=($!)
}

# A session bus and a runtime folder of the test's own (the desktop window managers keep
# their settings services on the bus); the player finds them too, as on a desktop.
e2e_start_session_bus() {
  [ -n "${E2E_BUS_PID:-}" ] && kill -0 "$E2E_BUS_PID" 2>/dev/null && return 0
  export XDG_RUNTIME_DIR="$E2E_DIR/runtime"
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  rm -f "$E2E_DIR/bus"
  dbus-daemon --session --nofork --nopidfile --print-address=6 6>"$E2E_DIR/bus" 2>>"$E2E_DIR/dbus.log" &
  E2E_BUS_PID=$!
  E2E_PIDS+=($E2E_BUS_PID)
  e2e_until 10 test -s "$E2E_DIR/bus" || e2e_fail "no session bus"
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$E2E_DIR/bus")
  export DBUS_SESSION_BUS_ADDRESS
}

e2e_stop_processes() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  E2E_PIDS=()
}

# e2e_until SECONDS COMMAND...: retries the command until it succeeds; false once the
# time has passed, however long each try takes. The command is run anew each time: pass
# a predicate, not an expanded value.
e2e_until() {
  local deadline=$(( ${EPOCHREALTIME//[!0-9]/} + $1 * 1000000 ))
  shift
  until "$@"; do
    [ "${EPOCHREALTIME//[!0-9]/}" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# Until the window manager announces what it supports, focus and state requests go
# unanswered; and openbox announces it before it has finished starting: the events it reads
# meanwhile wait for the next one to arrive, so a window mapped then may stay unmanaged, and
# never shown, until something else happens on the display. Ready means that a window
# mapped now gets managed: a probe window is mapped, the root window is poked with a
# property change while the probe waits (which wakes a window manager sleeping on such
# events), and the probe is gone again before the test's own windows come.
e2e_window_manager_ready() {
  [ "$E2E_WM" = none ] && return 0
  e2e_until 20 eval 'xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_ACTIVE_WINDOW' || return 1
  xmessage -name zepo-e2e-probe -geometry 1x1+0+0 probe >/dev/null 2>&1 &
  local probe_pid=$! probe="" ready=1
  probe=$(e2e_until 20 e2e_probe_managed) && ready=0
  kill "$probe_pid" 2>/dev/null || true
  wait "$probe_pid" 2>/dev/null || true
  xprop -root -remove _ZEPO_E2E_POKE 2>/dev/null || true
  [ "$ready" = 0 ] && e2e_until 20 e2e_client_gone "$probe"
}

e2e_wait_window_manager() {
  e2e_window_manager_ready || e2e_fail "the window manager did not start"
}

# The windows the window manager manages, one id a line.
e2e_client_list() {
  xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/.*# *//p' | tr ',' '\n' | tr -d ' '
}
e2e_client_listed() { grep -qix "$1" <<<"$(e2e_client_list)"; }
e2e_client_gone() { ! e2e_client_listed "$1"; }

# Pokes the window manager, then prints the id of the probe window once it is managed.
e2e_probe_managed() {
  xprop -root -f _ZEPO_E2E_POKE 32c -set _ZEPO_E2E_POKE 1 2>/dev/null || return 1
  local id
  for id in $(xdotool search --classname '^zepo-e2e-probe$' 2>/dev/null); do
    id=$(printf '0x%x' "$id")
    if e2e_client_listed "$id"; then echo "$id"; return 0; fi
  done
  return 1
}

# e2e_copy_clip DEST...: copies the build's three-second sample clip to each destination.
e2e_copy_clip() {
  local clip="$E2E_BUILD/fixtures/flv1_mp3.flv" dest
  [ -f "$clip" ] || e2e_fail "no clip $clip"
  for dest in "$@"; do cp "$clip" "$dest"; done
}

# Starts the copied binary in the background with arguments; sets E2E_ZEPO_PID.
e2e_launch() {
  "$E2E_BIN" "$@" >"$E2E_DIR/zepo.log" 2>&1 &
  E2E_ZEPO_PID=$!
  E2E_PIDS+=($E2E_ZEPO_PID)
}

# Waits until a window with exactly this title (case-sensitive) exists; prints its id.
e2e_wait_window() {
  local title=$1 i id
  for i in $(seq 1 200); do
    for id in $(xdotool search --name "$title" 2>/dev/null || true); do
      if [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$title" ]; then echo "$id"; return 0; fi
    done
    sleep 0.05
  done
  e2e_fail "no window titled '$title'"
}

# Outer geometry "x y w h" of a window: its client rectangle plus the frame the window
# manager announces in _NET_FRAME_EXTENTS (left, right, top, bottom). A window manager
# that announces none (i3) still frames the window: then the frame is the window it put
# the client in, the ancestor just below the root.
e2e_frame_geometry() {
  local info x y w h l r t b
  info=$(xwininfo -id "$1")
  x=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
  y=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
  w=$(awk '/^ *Width:/ { print $NF }' <<<"$info")
  h=$(awk '/^ *Height:/ { print $NF }' <<<"$info")
  if ! xprop -root _NET_SUPPORTED 2>/dev/null | grep -q _NET_FRAME_EXTENTS; then
    local frame
    frame=$(e2e_top_ancestor "$1")
    [ "$frame" = "$1" ] || info=$(xwininfo -id "$frame")
    local fx fy fw fh
    fx=$(awk '/Absolute upper-left X/ { print $NF }' <<<"$info")
    fy=$(awk '/Absolute upper-left Y/ { print $NF }' <<<"$info")
    fw=$(awk '/^ *Width:/ { print $NF }' <<<"$info")
    fh=$(awk '/^ *Height:/ { print $NF }' <<<"$info")
    echo "$fx $fy $fw $fh"
    return 0
  fi
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed -n 's/.*= *//p' | tr -d ',' ; echo "0 0 0 0")
  l=${l:-0}; r=${r:-0}; t=${t:-0}; b=${b:-0}
  echo "$(( x - l )) $(( y - t )) $(( w + l + r )) $(( h + t + b ))"
}

# Where a window's client area is on the screen: "x y width height".
e2e_client_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^  Width/ {w=$2} /^  Height/ {h=$2} END {print x, y, w, h}'
}

# The ancestor of a window just below the root: the window manager's frame, or the window
# itself when it is not reparented.
e2e_top_ancestor() {
  local window=$1 parent root
  root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
  while :; do
    parent=$(xwininfo -children -id "$window" | awk '/Parent window id:/ { print $4 }')
    [ -z "$parent" ] || [ $((parent)) -eq $((root)) ] && break
    window=$parent
  done
  echo "$window"
}

# The top-level windows on show, top of the stacking order first, one id (0x...) a line:
# the window manager's stacking list, or the server's own order of the mapped windows
# where there is no window manager, or where its list is not kept in stacking order (i3
# lists its windows in the order they came); a framed window is named by its client.
e2e_stacking() {
  if [ "$E2E_WM" != none ] && [ "$E2E_WM" != i3 ]; then
    xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*# //' | tr -d ',' | tr ' ' '\n' | grep . | tac
    return 0
  fi
  local id client clients=()
  [ "$E2E_WM" = none ] || mapfile -t clients < <(e2e_client_list)
  for id in $(xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' || continue
    if [ "$E2E_WM" = none ]; then
      # Menus and tooltips are not windows the user stacks.
      xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: no' && printf '0x%x\n' "$id"
      continue
    fi
    for client in "${clients[@]}"; do
      [ $(( $(e2e_top_ancestor "$client") )) -eq $((id)) ] && printf '0x%x\n' "$client"
    done
  done
}

# e2e_close_window WINDOW: closes a window as its close button does.
e2e_close_window() {
  if [ "$E2E_WM" = none ]; then
    python3 "$E2E_LIB_DIR/x11_close.py" "$1"
  else
    wmctrl -i -c "$1"
  fi
}

# Waits (at most 20 s) for the launched player to exit; fails when it hangs or errs.
e2e_wait_exit() {
  local pid=${1:-$E2E_ZEPO_PID} i
  for i in $(seq 1 400); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid" || e2e_fail "zepo exited with status $?"
      return 0
    fi
    sleep 0.05
  done
  e2e_report_hang "$pid"
  kill -9 "$pid" 2>/dev/null || true
  e2e_fail "zepo did not exit"
}

# What a hung player was doing, for the test's output: its log and every thread's stack.
e2e_report_hang() {
  echo "--- zepo.log" >&2
  cat "$E2E_DIR/zepo.log" >&2 || true
  if command -v gdb >/dev/null; then
    echo "--- stacks" >&2
    timeout 60 gdb -batch -p "$1" -ex 'thread apply all bt 12' 2>&1 | grep -E '^(Thread|#)' >&2 || true
  fi
  echo "--- windows" >&2
  wmctrl -l -G >&2 || true
}

# The window's outer rectangle is the same on two readings a moment apart: it has come
# to rest.
e2e_settled() {
  local before
  before=$(e2e_frame_geometry "$1")
  sleep 0.3
  [ "$(e2e_frame_geometry "$1")" = "$before" ]
}

# e2e_frame_at WINDOW X Y: the window's frame stands at x y.
e2e_frame_at() {
  local x y w h
  read -r x y w h < <(e2e_frame_geometry "$1")
  [ "$x $y" = "$2 $3" ]
}

# Moves a window's frame to x y, as a user dragging it would (the window manager is asked
# with north-west gravity, which places the frame, not the client), and waits until the
# frame has left where it stood. Where it comes to rest (a window may snap on) is the
# caller's to wait for. With no window manager the window is its own frame.
e2e_move_frame() {
  local window=$1 before
  before=$(e2e_frame_geometry "$window")
  if [ "$E2E_WM" = none ]; then
    xdotool windowmove "$window" "$2" "$3"
  elif ! xprop -root _NET_SUPPORTED | grep -q _NET_FRAME_EXTENTS; then
    # A window manager that announces no frame (i3) takes the place asked for as the
    # client's: it is asked for the client's place that puts the frame there.
    local fx fy cx cy rest
    read -r fx fy rest < <(e2e_frame_geometry "$window")
    read -r cx cy rest < <(e2e_client_geometry "$window")
    wmctrl -i -r "$window" -e "1,$(($2 + cx - fx)),$(($3 + cy - fy)),-1,-1"
  else
    wmctrl -i -r "$window" -e "1,$2,$3,-1,-1"
  fi
  e2e_until 10 eval '[ "$(e2e_frame_geometry "$window")" != "$before" ]' \
    || e2e_fail "window $window did not move from $before (at line ${BASH_LINENO[0]})"
}

# A context menu is open: it is the application's one unmanaged (override-redirect)
# window.
e2e_menu_open() {
  local id
  for id in $(xdotool search --onlyvisible --classname '^zepo$' 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Override Redirect State: yes' && return 0
  done
  return 1
}

# Presses the playlist window's save button and answers the save dialog with a name
# (Return); the dialog's id goes to E2E_SAVE_DIALOG.
e2e_save_playlist_as() { # playlist-window name
  local WIDTH HEIGHT X Y SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove --window "$1" 205 $((HEIGHT - 15)) click 1
  E2E_SAVE_DIALOG=$(e2e_wait_window "名前を付けて保存")
  timeout 5 xdotool windowactivate --sync "$E2E_SAVE_DIALOG" 2>/dev/null || true
  xdotool key --window "$E2E_SAVE_DIALOG" ctrl+a
  xdotool type --delay 5 "$2"
  xdotool key Return
}

# A picture for a look afterwards, never part of what a test checks: a display server
# that gives no picture of its root window (XWayland) is no failure.
e2e_screenshot() {
  import -window root "$1" 2>/dev/null || echo "(no screenshot: the display gives no picture of its screen)" >&2
}

e2e_setting() { # section key: prints the value from setting.ini beside the binary
  awk -v s="[$1]" -v k="$2" 'BEGIN{IGNORECASE=1} { sub(/\r$/, "") } /^\[/ { in_s = ($0 == s) } in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2) }' "$E2E_DIR/bin/setting.ini"
}
