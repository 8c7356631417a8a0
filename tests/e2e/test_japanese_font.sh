#!/usr/bin/env bash
# The fonts the real binary finds at start, through fontconfig limited to a folder of the
# test's: with no font that covers Japanese it says so once, naming the package to
# install; with only a fixed-width Japanese gothic (not the proportional one the dialog
# layouts name first), the dialog font resolves to it, and nothing is said.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"

font_file() { # NAME: the installed font file of that name
  local file
  file=$(find /usr/share/fonts -name "$1" -print -quit)
  [ -n "$file" ] || e2e_fail "no installed font file $1"
  echo "$file"
}
latin=$(font_file DejaVuSans.ttf)
fixed_gothic=$(font_file ipag.ttf)

# only_fonts NAME FILE...: fontconfig sees these files and nothing else.
only_fonts() {
  local dir="$E2E_DIR/$1"; shift
  mkdir -p "$dir/files"
  ln -s "$@" "$dir/files/"
  cat >"$dir/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$dir/files</dir>
  <cachedir>$dir/cache</cachedir>
</fontconfig>
EOF
  export FONTCONFIG_FILE="$dir/fonts.conf"
}

lines() { grep -cF "$1" "$E2E_DIR/zepo.log" || true; }
warning="zepo.platform: warning: no installed font covers Japanese"

only_fonts latin-only "$latin"
e2e_launch
player=$(e2e_wait_window "ZEPO")
[ "$(lines "$warning")" = 1 ] || e2e_fail "no single warning without a Japanese font: $(cat "$E2E_DIR/zepo.log")"
grep -F "$warning" "$E2E_DIR/zepo.log" | grep -qF "fonts-ipafont-gothic" \
  || e2e_fail "the warning names no package: $(cat "$E2E_DIR/zepo.log")"
wmctrl -i -c "$player"
e2e_wait_exit

only_fonts fixed-gothic "$latin" "$fixed_gothic"
QT_LOGGING_RULES="zepo.platform.debug=true" e2e_launch
player=$(e2e_wait_window "ZEPO")
[ "$(lines "the dialog font resolves to IPAGothic;")" = 1 ] \
  || e2e_fail "the dialog font is not the installed Japanese gothic: $(cat "$E2E_DIR/zepo.log")"
[ "$(lines "$warning")" = 0 ] || e2e_fail "warned though a Japanese font is there: $(cat "$E2E_DIR/zepo.log")"
wmctrl -i -c "$player"
e2e_wait_exit
echo PASS
