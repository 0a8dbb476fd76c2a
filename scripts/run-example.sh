#!/bin/sh
# Builds orvhost and the modules, then runs the example job; its output data
# sets (library OUT) land in examples/output.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build orvhost orvkeydf orvocrdf
mkdir -p examples/output
exec build/bin/orvhost --lib out=examples/output examples/monthly_events.job
