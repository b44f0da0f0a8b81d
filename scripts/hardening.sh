#!/bin/sh
# The hardening checks of CI, after the normal tests:
#  1. everything built with AddressSanitizer and UndefinedBehaviorSanitizer (preset "asan",
#     in build-asan) and every test but the large ones (the normal build runs those) run
#     under them, the windows on the offscreen platform;
#  2. the libFuzzer targets built with clang (preset "fuzz", in build-fuzz) and each run for
#     FUZZ_SECONDS (default 60) from its seeds in fuzz/corpus/<target>.
# Any sanitizer report, failed test or fuzzing finding fails the script. A fuzzing finding
# is left in build-fuzz/findings/; make it a regression input in fuzz/regressions/<target>.
#
#   sh scripts/hardening.sh [asan] [fuzz]     (default: both)
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh clang libclang-rt-14-dev

steps="${*:-asan fuzz}"
seconds="${FUZZ_SECONDS:-60}"

elapsed() {
    echo "$(($(date +%s) - $1)) s"
}

for step in $steps; do
    case "$step" in
    asan)
        start=$(date +%s)
        cmake --preset asan >/dev/null
        cmake --build --preset asan
        ctest --preset asan
        echo "hardening: sanitizer build and tests passed in $(elapsed "$start")"
        ;;
    fuzz)
        start=$(date +%s)
        cmake --preset fuzz >/dev/null
        cmake --build --preset fuzz
        findings="$PWD/build-fuzz/findings"
        rm -rf "$findings"
        mkdir -p "$findings"
        summary=""
        for target in number standfile report search; do
            # The seeds stay as they are; what libFuzzer adds goes to a working copy.
            work="build-fuzz/corpus/$target"
            mkdir -p "$work"
            log="build-fuzz/fuzz_$target.log"
            echo "hardening: fuzzing $target for $seconds s"
            if ! build-fuzz/fuzz/fuzz_$target -max_total_time="$seconds" -timeout=10 \
                -rss_limit_mb=1024 -print_final_stats=1 \
                -dict="fuzz/$target.dict" -artifact_prefix="$findings/$target-" \
                "$work" "fuzz/corpus/$target" >"$log" 2>&1; then
                tail -n 60 "$log"
                echo "hardening: fuzz_$target found a fault; the input is in $findings" >&2
                exit 1
            fi
            runs=$(sed -n 's/^Done \([0-9]*\) runs.*/\1/p' "$log")
            echo "hardening: fuzz_$target: $runs executions, no finding"
            summary="$summary fuzz_$target=$runs"
        done
        echo "hardening: fuzzing passed in $(elapsed "$start"):$summary"
        ;;
    *)
        echo "usage: sh scripts/hardening.sh [asan] [fuzz]" >&2
        exit 2
        ;;
    esac
done
