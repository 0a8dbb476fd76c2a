#!/bin/sh
# Builds orvhost and the modules, then runs the example job.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build orvhost orvkeydf orvocrdf
exec build/bin/orvhost examples/monthly_events.job
