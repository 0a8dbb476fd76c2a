#!/bin/sh
# Builds everything twice, plain and under AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs every test in both builds.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
for variant in plain sanitize; do
  if [ "$variant" = sanitize ]; then dir=build-sanitize; flags="-DORV_SANITIZE=ON"; else dir=build; flags=""; fi
  echo "== $variant build ($dir)"
  # shellcheck disable=SC2086
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $flags >/dev/null
  ninja -C "$dir"
  ctest --test-dir "$dir" --output-on-failure -j "$jobs"
done
