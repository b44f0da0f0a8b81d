#!/bin/sh
# The web build's tests: builds the site (scripts/web.sh) and the batch tool (preset "ci"),
# then checks the module's JavaScript interface against the native programs' bytes
# (web/tests/api.mjs) and compares the Node entry with the batch tool byte for byte on the reference stands,
# refused files and RANDOM_STANDS (10000 unless set) random stands under both separators,
# with and without a variation; then the page in headless Chromium (web/tests/browser.mjs).
set -eu
cd "$(dirname "$0")/.."
sh scripts/web.sh
if [ ! -f build-ci/CMakeCache.txt ]; then
    cmake --preset ci >/dev/null
fi
cmake --build build-ci -j2 --target lodra05-batch
node web/tests/api.mjs "$PWD/build-web/site" "$PWD/build-ci/batch/lodra05-batch"
node web/tests/compare.mjs "$PWD/build-ci/batch/lodra05-batch" \
    "$PWD/build-web/site/lodra05.mjs" "${RANDOM_STANDS:-10000}"
# The page: its logic on Node, then the page itself in Debian's headless Chromium, driven by
# puppeteer-core as pinned in web/package-lock.json.
node web/tests/pagelogic.mjs
(cd web && npm ci --no-audit --no-fund --loglevel=error)
node web/tests/browser.mjs "$PWD/build-web/site" "$PWD/build-ci/batch/lodra05-batch" "$PWD/tests/data"
