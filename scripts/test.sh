#!/bin/sh
# Installs what is missing, checks the layout of the sources, then builds and runs every
# test as CI does (preset "ci", in build-ci, warnings as errors), then the web build's tests
# (the WebAssembly core against the batch tool, the page in headless Chromium).
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
sh scripts/format.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
sh scripts/webtest.sh
