#!/bin/sh
# The page and the Node entry: the calculation core built to WebAssembly with Debian's
# emscripten into build-web/site/ (static files only). With --serve the site is then served
# on 127.0.0.1 and its address printed.
set -eu
cd "$(dirname "$0")/.."
# Debian's emscripten finds its JavaScript tools (acorn) among Debian's Node modules.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
if [ ! -f build-web/CMakeCache.txt ]; then
    emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release \
        -DLODRA05_BUILD_UI=OFF -DLODRA05_BUILD_BATCH=OFF -DLODRA05_BUILD_TESTS=OFF \
        -DLODRA05_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS=-Werror
fi
cmake --build build-web -j2 --target lodra05core
echo "Webbplatsen finns i build-web/site/."
if [ "${1:-}" = "--serve" ]; then
    port="${PORT:-8005}"
    echo "Öppna http://127.0.0.1:$port/"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
fi
