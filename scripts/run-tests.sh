#!/bin/sh
# Builds everything twice, plain and under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test in both builds; then
# builds the libFuzzer harnesses (tests/fuzz/, with clang) and runs each
# for 20 seconds on its corpus.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh fuzz
jobs=$(nproc)
for variant in plain sanitize; do
  if [ "$variant" = sanitize ]; then dir=build-sanitize; flags="-DORV_SANITIZE=ON"; else dir=build; flags=""; fi
  echo "== $variant build ($dir)"
  # shellcheck disable=SC2086
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $flags >/dev/null
  ninja -C "$dir"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done
echo "== fuzz build (build-fuzz)"
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORV_FUZZ=ON -DORV_TESTS=OFF >/dev/null
ninja -C build-fuzz fuzz
for corpus in tests/fuzz/corpus/*/; do
  harness=$(basename "$corpus")
  # New inputs go to a scratch directory; the committed corpus is only read.
  scratch=build-fuzz/corpus/$harness
  mkdir -p "$scratch"
  echo "== $harness, 20 seconds"
  if ! build-fuzz/bin/"$harness" -max_total_time=20 -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
      -print_final_stats=1 -artifact_prefix="$scratch/" "$scratch" "$corpus" >"$scratch.log" 2>&1; then
    tail -n 60 "$scratch.log"
    echo "$harness failed: the input is in $scratch/ (crash-*, timeout-*, leak-*, oom-*)"
    exit 1
  fi
  grep -E "^stat::number_of_executed_units|^Done" "$scratch.log"
done
