#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Release build with
# warnings as errors (unit, integration, stream, end-to-end), the AddressSanitizer build
# (with UBSan and leak detection) of the unit, integration and stream tests (real decoding
# of every fixture and corpus file on the stream's own threads), the ThreadSanitizer build
# of the integration and stream tests, and the fuzz targets. No test gets a second run: one
# that fails now and then is a fault to find.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
"$root/scripts/install-deps.sh"

echo "== Layers: every include runs down"
python3 "$root/scripts/check-layers.py" "$root"

echo "== Release build"
"$root/scripts/build.sh" "$root/build" -DZEPO_WERROR=ON
echo "== Tests (unit, integration, stream, e2e)"
(cd "$root/build" && ctest --output-on-failure -j"$jobs" --timeout 600)

echo "== Sanitizer build (ASan + UBSan)"
ZEPO_BUILD_TARGETS="zepo_unit_tests zepo_integration_tests zepo_stream_tests" \
  "$root/scripts/build.sh" "$root/build-asan" -DZEPO_WERROR=ON -DZEPO_SANITIZE=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== Sanitizer tests (unit, integration, stream), leaks included"
(cd "$root/build-asan" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j"$jobs" -L 'unit|integration|stream' --timeout 600)

echo "== ThreadSanitizer build"
ZEPO_BUILD_TARGETS="zepo_integration_tests zepo_stream_tests" \
  "$root/scripts/build.sh" "$root/build-tsan" -DZEPO_WERROR=ON -DZEPO_SANITIZE_THREAD=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
echo "== ThreadSanitizer tests (integration, stream)"
(cd "$root/build-tsan" && TSAN_OPTIONS="suppressions=$root/scripts/tsan.supp second_deadlock_stack=1" \
  ctest --output-on-failure -j"$jobs" -L 'integration|stream' --timeout 600)

if [ -d "$root/fuzz" ] && ls "$root"/fuzz/*.cpp >/dev/null 2>&1; then
  echo "== Fuzzing"
  "$root/scripts/fuzz.sh"
fi
echo "== All tests passed"
