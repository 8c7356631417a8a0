#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (ASan + UBSan) in build-fuzz and runs each for
# FUZZ_SECONDS (default 60) from a seed corpus: the test fixtures, the FLV corpus (for
# the AMF0 target, their script tag payloads) and hostile inputs made from a fixture
# (metadata that explodes by references or nesting, damage before the first tag,
# timestamps far out of the flow), with the dictionary of the target's format
# (fuzz/amf0.dict, fuzz/flv.dict). Inputs that once crashed are kept in
# fuzz/regressions/<target>/ and replayed first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build-fuzz
seconds=${FUZZ_SECONDS:-60}
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -g -O1"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DZEPO_FUZZ=ON -DZEPO_TESTS=OFF -DCMAKE_CXX_FLAGS="$flags" >/dev/null
targets=()
for source in "$root"/fuzz/*Fuzzer.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

seeds=$build/seeds
if [ ! -f "$seeds/fixtures/.complete" ]; then
  bash "$root/tests/fixtures/make-fixtures.sh" "$seeds/fixtures" >/dev/null
fi
corpus=$root/tests/corpus
mkdir -p "$seeds/flv" "$seeds/amf"
cp "$seeds"/fixtures/*.flv "$seeds/flv/"
cp "$corpus"/*.flv "$seeds/flv/"
python3 "$root/tests/fixtures/flvcraft.py" script-payloads "$seeds/amf" "$seeds"/flv/*.flv
python3 "$root/tests/fixtures/flvcraft.py" hostile "$seeds/fixtures/flv1_mp3.flv" "$seeds/amf" "$seeds/flv"

for target in "${targets[@]}"; do
  case $target in
    Amf0Fuzzer) seed=$seeds/amf dict=$root/fuzz/amf0.dict ;;
    *) seed=$seeds/flv dict=$root/fuzz/flv.dict ;;
  esac
  work=$build/corpus/$target
  mkdir -p "$work"
  regressions=$root/fuzz/regressions/$target
  if [ -d "$regressions" ] && ls "$regressions"/* >/dev/null 2>&1; then
    echo "== $target: replaying regressions"
    "$build/fuzz/$target" "$regressions"/*
  fi
  echo "== $target: fuzzing for $seconds s"
  log=$build/$target.log
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -max_len=262144 -rss_limit_mb=2048 -dict="$dict" \
      -artifact_prefix="$build/$target-" -print_final_stats=1 "$work" "$seed" >"$log" 2>&1; then
    tail -80 "$log"
    echo "== $target found a failure; the input is in $build/$target-*"
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|new_units_added|peak_rss_mb)' "$log"
done
