#!/bin/sh
# The web build's tests: builds the site (scripts/web.sh) and the batch tool (preset "ci"),
# then checks every discount factor's bits natively and in WebAssembly
# (web/tests/discounts.cpp), the module's JavaScript interface against the native programs'
# bytes (web/tests/api.mjs), and compares the Node entry with the batch tool byte for byte
# (web/tests/compare.mjs) on the reference stands, refused files and RANDOM_STANDS (10000
# unless set) random stands under both separators, with and without a variation.
set -eu
cd "$(dirname "$0")/.."
sh scripts/web.sh
if [ ! -f build-ci/CMakeCache.txt ]; then
    cmake --preset ci >/dev/null
fi
cmake --build build-ci -j2 --target lodra05-batch
# Every discount factor, natively and as WebAssembly: the same bits.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
factors="$(mktemp -d)"
trap 'rm -rf "$factors"' EXIT
g++ -std=c++20 -O2 -ffp-contract=off -I. -o "$factors/native" web/tests/discounts.cpp \
    calc/exponential.cpp
em++ -std=c++20 -O2 -ffp-contract=off -I. -sSINGLE_FILE=1 -o "$factors/web.js" \
    web/tests/discounts.cpp calc/exponential.cpp
"$factors/native" > "$factors/native.txt"
node "$factors/web.js" > "$factors/web.txt"
cmp "$factors/native.txt" "$factors/web.txt"
echo "Alla $(wc -l < "$factors/native.txt") diskonteringsfaktorer lika."
node web/tests/api.mjs "$PWD/build-web/site" "$PWD/build-ci/batch/lodra05-batch"
node web/tests/compare.mjs "$PWD/build-ci/batch/lodra05-batch" \
    "$PWD/build-web/site/lodra05.mjs" "${RANDOM_STANDS:-10000}"
# The page: its logic on Node, then the page itself in Debian's headless Chromium, driven by
# puppeteer-core as pinned in web/package-lock.json.
node web/tests/pagelogic.mjs
(cd web && npm ci --no-audit --no-fund --loglevel=error)
node web/tests/browser.mjs "$PWD/build-web/site" "$PWD/build-ci/batch/lodra05-batch" "$PWD/tests/data"
