#!/usr/bin/env bash
# The settings dialog on a real X server with a window manager: its Japanese texts have
# glyphs in the dialog font, and the framed dialog is saved to screenshots/ for a look.
source "$(dirname "$0")/lib.sh"
e2e_start "$@"
tests="$E2E_BUILD/tests/zepo_integration_tests"
[ -x "$tests" ] || e2e_fail "integration tests not built: $tests"
QT_QPA_PLATFORM=xcb "$tests" --gtest_filter='SettingDialog.JapaneseTexts*' >"$E2E_DIR/look.log" 2>&1 \
  || { cat "$E2E_DIR/look.log" >&2; e2e_fail "settings dialog look"; }
for picture in settings-basic.png settings-spare.png; do
  [ -s "$E2E_BUILD/screenshots/$picture" ] || e2e_fail "no $picture"
done
echo "settings dialog: pictures in $E2E_BUILD/screenshots"
