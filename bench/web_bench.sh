#!/bin/sh
# The engine in WebAssembly against the native build, side by side on the same random
# stands (web/tests/randomstands.mjs, without a variation): the Node entry and
# `lodra05-batch --threads 1`, both writing the result to standard output. CPU time (user +
# system), so that other work on the machine weighs on both alike. Needs build-web/site
# (scripts/web.sh) and build-ci's batch tool.
#   sh bench/web_bench.sh [STANDS]     (100000 unless given)
set -eu
cd "$(dirname "$0")/.."
count="${1:-100000}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
node -e "import('./web/tests/randomstands.mjs').then(m => process.stdout.write(m.register(2804, $count, '.', false)))" > "$work/stands.csv"
export LC_ALL=C.UTF-8
for i in 1 2 3; do
    /usr/bin/time -f "native %U + %S s" build-ci/batch/lodra05-batch --threads 1 --output - "$work/stands.csv" > "$work/native.txt" 2>>"$work/native.err" || true
    tail -n 1 "$work/native.err"
    /usr/bin/time -f "wasm   %U + %S s" node build-web/site/lodra05.mjs "$work/stands.csv" > "$work/web.txt" 2>>"$work/web.err" || true
    tail -n 1 "$work/web.err"
done
cmp "$work/native.txt" "$work/web.txt" && echo "Samma byte: $(wc -c < "$work/web.txt")"
