#!/bin/sh
# Installs the Debian packages the build and the tests need, when missing.
# With the argument "fuzz" also those of the fuzz build (clang and libFuzzer).
set -eu
packages="cmake ninja-build g++ libgtest-dev nlohmann-json3-dev libbenchmark-dev"
if [ "${1:-}" = fuzz ]; then packages="$packages clang-14 libfuzzer-14-dev"; fi
missing=""
for package in $packages; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing="$missing $package"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
$sudo apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
