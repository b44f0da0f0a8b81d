#!/bin/sh
# Installs what is missing, then builds and runs every test as CI does (preset "ci", in
# build-ci, warnings as errors).
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
