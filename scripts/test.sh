#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Release build with
# warnings as errors (unit, integration, stream, end-to-end), the sanitizer build of the
# unit, integration and stream tests (real decoding of every fixture and corpus file on the
# stream's own threads), and the fuzz targets.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh"

echo "== Layers: every include runs down"
python3 "$root/scripts/check-layers.py" "$root"

echo "== Release build"
"$root/scripts/build.sh" "$root/build" -DZEPO_WERROR=ON
# A test that fails is run once more, and the output keeps both runs: a failure that
# does not come back is a rare race to chase. The sanitizer run gets no second chance: a
# memory error is never to be waved through.
retry="--repeat until-pass:2"
echo "== Tests (unit, integration, stream, e2e)"
(cd "$root/build" && ctest --output-on-failure -j"$jobs" --timeout 600 $retry)

echo "== Sanitizer build (ASan + UBSan)"
ZEPO_BUILD_TARGETS="zepo_unit_tests zepo_integration_tests zepo_stream_tests" \
  "$root/scripts/build.sh" "$root/build-asan" -DZEPO_WERROR=ON -DZEPO_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Sanitizer tests (unit, integration, stream)"
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs" -L 'unit|integration|stream' --timeout 600)

if [ -d "$root/fuzz" ] && ls "$root"/fuzz/*.cpp >/dev/null 2>&1; then
  echo "== Fuzzing"
  "$root/scripts/fuzz.sh"
fi
echo "== All tests passed"
