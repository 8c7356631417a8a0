#!/usr/bin/env bash
# Runs the window-pair end-to-end tests under every desktop ZEPO was tried on and prints a
# table: one row per desktop, one column per behaviour. A cell says "held", "differs: why"
# (the desktop imposes it; the program does the closest sound thing) or "failed: what the
# test saw". The X11 window managers run on Xvfb; the Wayland compositors run headless
# with XWayland, and the player is started there as in a Wayland session (WAYLAND_DISPLAY,
# XDG_SESSION_TYPE=wayland, Qt's Wayland plugin installed), where it must still choose X11.
# Installs what it needs. Usage: scripts/desktop-matrix.sh [BUILD_DIR] (default build/,
# built with scripts/build.sh). ZEPO_MATRIX_ROWS="openbox i3" runs some rows only.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(cd "${ZEPO_MATRIX_BUILD:-${1:-$root/build}}" && pwd)
zepo="$build/app/zepo"
[ -x "$zepo" ] || { echo "no $zepo: build first (scripts/build.sh build)" >&2; exit 1; }

packages=(openbox xfwm4 kwin-x11 mutter i3-wm kwin-wayland xwayland dbus-daemon qt6-wayland
          xvfb xdotool wmctrl x11-utils x11-xserver-utils python3)
missing=()
[ -n "${ZEPO_MATRIX_CHILD:-}" ] && packages=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends \
    "${missing[@]}" >&2
fi

# Columns: test script and heading.
tests=(test_window_pair test_playlist_docking test_startup_geometry test_saved_geometry_fit test_second_instance
       test_window_pair_scaled)
headings=("pairing, docked start, full screen, saved places" "docking, snapping on release, following"
          "first start, saved place" "saved place fitted to the screen" "second start: hand-over, raise"
          "scaled x2 (QT_SCALE_FACTOR, Xft.dpi)")
rows=(${ZEPO_MATRIX_ROWS:-openbox xfwm4 kwin_x11 mutter i3 none xwayland-mutter xwayland-kwin})

# What a desktop imposes, by row and test: told instead of "failed" when the test fails
# there, or, marked "always", also when it passes (the test accepts the difference).
differs() { # row test
  case "$1/$2" in
    i3/test_window_pair) echo "always:i3 restacks floating windows only as they take the focus: the clicked window comes on top, its partner stays where it was" ;;
    kwin_x11/test_saved_geometry_fit|xwayland-kwin/test_saved_geometry_fit|mutter/test_saved_geometry_fit|xwayland-mutter/test_saved_geometry_fit)
      echo "the window manager keeps a window wholly on the screen: one saved below the bottom edge comes up whole, not with only its title bar on the screen" ;;
    xwayland-mutter/test_window_pair)
      echo "the test's synthetic clicks (XTEST) do not reach the title bars mutter draws in a Wayland session: a click cannot be made there" ;;
    none/test_second_instance) echo "no window manager: no list of windows for the test to find the player in, and no active window to bring forward" ;;
  esac
}

if [ -n "${ZEPO_MATRIX_CHILD:-}" ]; then
  results=$ZEPO_MATRIX_RESULTS
else
  results=$(mktemp -d /tmp/zepo-matrix.XXXXXX)
  trap 'rm -rf "$results"' EXIT
fi

# Runs every test for one row; ZEPO_E2E_WM and the display are set by the caller.
run_row() { # row
  local test
  for test in "${tests[@]}"; do
    timeout 300 bash "$root/tests/e2e/$test.sh" "$zepo" "$build" >"$results/$1.$test.log" 2>&1
    echo $? >"$results/$1.$test.rc"
  done
  if [[ $1 == xwayland-* ]]; then
    timeout 300 bash "$root/tests/e2e/xwayland_mode_change.sh" "$zepo" "$build" \
      >"$results/$1.xwayland_mode_change.log" 2>&1
    echo $? >"$results/$1.xwayland_mode_change.rc"
  fi
}

# A compositor runs the row's tests as its client, with its XWayland display; it ends when
# they do. kwin_wayland's file capabilities cannot be taken up in a container: a copy
# without them runs the same.
run_wayland_row() { # row
  local runtime child
  runtime=$(mktemp -d /tmp/zepo-matrix-run.XXXXXX)
  chmod 700 "$runtime"
  child="$results/$1.child.sh"
  cat >"$child" <<CHILD
#!/usr/bin/env bash
export ZEPO_E2E_WM=given XDG_SESSION_TYPE=wayland ZEPO_MATRIX_CHILD=1
export ZEPO_MATRIX_RESULTS="$results" ZEPO_MATRIX_BUILD="$build"
source "$root/scripts/desktop-matrix.sh"
run_row $1
CHILD
  chmod +x "$child"
  case $1 in
    xwayland-mutter)
      XDG_RUNTIME_DIR=$runtime timeout 3600 dbus-run-session -- \
        mutter --wayland --headless --virtual-monitor 1280x1024 -- "$child" >"$results/$1.compositor.log" 2>&1 ;;
    xwayland-kwin)
      cp "$(command -v kwin_wayland)" "$runtime/kwin_wayland"
      XDG_RUNTIME_DIR=$runtime timeout 3600 dbus-run-session -- \
        "$runtime/kwin_wayland" --virtual --xwayland --width 1280 --height 1024 --no-lockscreen \
        --exit-with-session "$child" \
        >"$results/$1.compositor.log" 2>&1 ;;
  esac
  rm -rf "$runtime"
}

# Sourced by a compositor's child: only the functions above are wanted.
[ -n "${ZEPO_MATRIX_CHILD:-}" ] && return 0

cell() { # row test
  local rc=$results/$1.$2.rc log=$results/$1.$2.log why
  why=$(differs "$1" "$2")
  if [ ! -f "$rc" ]; then
    echo "failed: did not run (the compositor did not start: $(tail -n1 "$results/$1.compositor.log" 2>/dev/null))"
  elif [ "$(cat "$rc")" = 0 ]; then
    if [[ $why == always:* ]]; then echo "differs: ${why#always:}"; else echo held; fi
  elif [ -n "$why" ]; then
    echo "differs: ${why#always:}"
  else
    echo "failed: $(grep -m1 '^FAIL' "$log" | sed 's/^FAIL: //' || tail -n1 "$log")"
  fi
}

for row in "${rows[@]}"; do
  echo "== $row" >&2
  case $row in
    xwayland-*) run_wayland_row "$row" ;;
    *) ZEPO_E2E_WM=$row run_row "$row" ;;
  esac
done

printf '| desktop |'
for h in "${headings[@]}"; do printf ' %s |' "$h"; done
printf ' full-screen mode change |\n|---|'
for _ in "${headings[@]}"; do printf -- '---|'; done
printf -- '---|\n'
for row in "${rows[@]}"; do
  printf '| %s |' "$row"
  for test in "${tests[@]}"; do printf ' %s |' "$(cell "$row" "$test")"; done
  if [[ $row == xwayland-* ]]; then
    printf ' %s |\n' "$(cell "$row" xwayland_mode_change)"
  else
    printf ' (tests/e2e/test_fullscreen_modes.sh, Xorg) |\n'
  fi
done
