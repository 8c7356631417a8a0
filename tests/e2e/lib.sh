# Shared by the end-to-end tests: a private X server with a window manager, a private
# copy of the binary (setting.ini lives beside it), and small helpers to drive and
# inspect windows. Source it; then call e2e_start "$@".
set -euo pipefail

E2E_BIN=""
E2E_BUILD=""
E2E_DIR=""
E2E_PIDS=()

e2e_fail() { echo "FAIL: $*" >&2; exit 1; }

e2e_cleanup() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -n "$E2E_DIR" ] && rm -rf "$E2E_DIR"
}

# e2e_start ZEPO_BINARY BUILD_DIR: Xvfb + openbox on a free display, binary copied.
e2e_start() {
  E2E_BUILD=$2
  E2E_DIR=$(mktemp -d /tmp/zepo-e2e.XXXXXX)
  trap e2e_cleanup EXIT
  mkdir -p "$E2E_DIR/bin" "$E2E_DIR/home"
  cp "$1" "$E2E_DIR/bin/zepo"
  E2E_BIN="$E2E_DIR/bin/zepo"
  exec 3<> "$E2E_DIR/displayfd" || true
  Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$E2E_DIR/display" 2>"$E2E_DIR/xvfb.log" &
  E2E_PIDS+=($!)
  local i
  for i in $(seq 1 100); do
    [ -s "$E2E_DIR/display" ] && break
    sleep 0.05
  done
  export DISPLAY=":$(head -n1 "$E2E_DIR/display")"
  export HOME="$E2E_DIR/home"
  export SDL_AUDIODRIVER=dummy
  unset QT_QPA_PLATFORM
  openbox --sm-disable >"$E2E_DIR/openbox.log" 2>&1 &
  E2E_PIDS+=($!)
  for i in $(seq 1 100); do
    wmctrl -m >/dev/null 2>&1 && break
    sleep 0.05
  done
}

# Starts the copied binary in the background with arguments; sets E2E_ZEPO_PID.
e2e_launch() {
  "$E2E_BIN" "$@" >"$E2E_DIR/zepo.log" 2>&1 &
  E2E_ZEPO_PID=$!
  E2E_PIDS+=($E2E_ZEPO_PID)
}

# Waits until a window with exactly this title exists; prints its id.
e2e_wait_window() {
  local title=$1 i id
  for i in $(seq 1 200); do
    id=$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1 || true)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.05
  done
  e2e_fail "no window titled '$title'"
}

# Outer geometry "x y w h" of a window as the window manager frames it.
e2e_frame_geometry() {
  wmctrl -lG | awk -v id="$(printf '0x%08x' "$1")" '$1 == id { print $3, $4, $5, $6 }'
}

e2e_screenshot() {
  import -window root "$1"
}

e2e_setting() { # section key: prints the value from setting.ini beside the binary
  awk -v s="[$1]" -v k="$2" 'BEGIN{IGNORECASE=1} { sub(/\r$/, "") } /^\[/ { in_s = ($0 == s) } in_s && index($0, k "=") == 1 { print substr($0, length(k) + 2) }' "$E2E_DIR/bin/setting.ini"
}
