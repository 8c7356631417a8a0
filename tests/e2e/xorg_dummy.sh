# For the end-to-end tests that need display modes that really switch: a private Xorg
# server with the dummy video driver (1280x1024 at start, 1024x768 and 640x480 on offer)
# and the window manager of ZEPO_E2E_WM, instead of lib.sh's Xvfb. Source lib.sh first,
# then this; call e2e_start_xorg "$@" where lib.sh's tests call e2e_start.

e2e_start_xorg() {
  E2E_BUILD=$2
  E2E_DIR=$(mktemp -d /tmp/zepo-e2e.XXXXXX)
  trap e2e_cleanup EXIT
  mkdir -p "$E2E_DIR/bin" "$E2E_DIR/home" "$E2E_DIR/xorg.conf.d"
  e2e_install_binary "$1"
  [ "$(id -u)" -eq 0 ] || e2e_fail "Xorg with a private configuration needs root"
  command -v Xorg >/dev/null || e2e_fail "Xorg is missing (xserver-xorg-core, xserver-xorg-video-dummy)"
  cat >"$E2E_DIR/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoAddGPU" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 32768
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
  Modeline "640x480" 25.175 640 656 752 800 480 490 492 525 -hsync -vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1280x1024" "1024x768" "640x480"
  EndSubSection
EndSection
CONF
  Xorg -displayfd 5 -config "$E2E_DIR/xorg.conf" -configdir "$E2E_DIR/xorg.conf.d" -noreset -nolisten tcp \
    -logfile "$E2E_DIR/xorg.log" 5>"$E2E_DIR/display" >"$E2E_DIR/xorg.out" 2>&1 &
  E2E_PIDS+=($!)
  local i
  for i in $(seq 1 200); do
    [ -s "$E2E_DIR/display" ] && break
    kill -0 "${E2E_PIDS[-1]}" 2>/dev/null || { cat "$E2E_DIR/xorg.out" >&2; e2e_fail "Xorg did not start"; }
    sleep 0.05
  done
  [ -s "$E2E_DIR/display" ] || e2e_fail "Xorg did not report its display"
  export DISPLAY=":$(head -n1 "$E2E_DIR/display")"
  export HOME="$E2E_DIR/home"
  export SDL_AUDIODRIVER=dummy
  unset QT_QPA_PLATFORM
  e2e_start_window_manager
  e2e_wait_window_manager
}

# The size of the screen now, "WIDTHxHEIGHT".
e2e_screen_size() {
  xrandr --current | awk '/^Screen 0/ { sub(/,.*/, "", $10); print $8 "x" $10 }'
}

# A managed window by its exact title (the toolkit's unmapped helper windows may share
# it); prints its id. A window that never shows is reported with what there was instead:
# whether the player still runs, its log, and every window of that title with its state.
e2e_visible_window_id() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true
}
e2e_has_visible_window() { [ -n "$(e2e_visible_window_id "$1")" ]; }
e2e_wait_managed_window() {
  local title=$1 id
  if e2e_until 20 e2e_has_visible_window "$title"; then
    e2e_visible_window_id "$title"
    return 0
  fi
  {
    if [ -n "${E2E_ZEPO_PID:-}" ] && kill -0 "$E2E_ZEPO_PID" 2>/dev/null; then
      echo "--- zepo is running"
    else
      echo "--- zepo is not running"
    fi
    echo "--- zepo.log"
    cat "$E2E_DIR/zepo.log" || true
    echo "--- windows titled '$title'"
    for id in $(xdotool search --name "^${title}\$" 2>/dev/null || true); do
      xwininfo -id "$id" | grep -E 'Map State|Absolute|Width|Height' | tr -s ' ' | tr '\n' ' '
      echo
    done
  } >&2
  e2e_fail "no visible window titled '$title'"
}


e2e_screen_is() { [ "$(e2e_screen_size)" = "$1" ]; }
e2e_client_geometry_is() { [ "$(e2e_client_geometry "$1")" = "$2" ]; }

# Gives a window the keyboard focus and waits until the window manager says it has it.
# With no window manager there is no active window, only the focus, given directly.
e2e_focus() {
  local i
  for i in $(seq 1 100); do
    if [ "$E2E_WM" = none ]; then
      xdotool windowfocus --sync "$1" >/dev/null 2>&1 || true
      [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    else
      xdotool windowactivate --sync "$1" >/dev/null 2>&1 || true
      [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ] && return 0
    fi
    sleep 0.05
  done
  e2e_fail "window $1 does not take the focus (active: $(xdotool getactivewindow 2>&1), at line ${BASH_LINENO[0]})"
}

# Opens the context menu over a player window's video and picks item number $2 by the
# keyboard; waits until the menu has opened and closed again.
e2e_choose_from_menu() { # window item
  local g
  read -r -a g <<<"$(e2e_client_geometry "$1")"
  e2e_focus "$1"
  xdotool mousemove $((g[0] + 30)) $((g[1] + 20)) click 3
  e2e_until 10 e2e_menu_open || e2e_fail "a right click did not open the context menu (at line ${BASH_LINENO[0]})"
  for _ in $(seq 1 "$2"); do xdotool key Down; done
  xdotool key Return
  e2e_until 10 eval '! e2e_menu_open' || e2e_fail "the context menu stayed open (at line ${BASH_LINENO[0]})"
}

e2e_has_state() { # window state-atom
  xprop -id "$1" _NET_WM_STATE | grep -q "$2"
}
