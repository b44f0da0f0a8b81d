#!/bin/sh
# Runs a command with its address space limited to what the program ($2) needs to start
# (found by running it with --version under growing limits) and $1 kB more, its stack to
# 256 kB so that the threads it starts take little of it.
margin=$1
shift
ulimit -s 256 || exit 99
base=16384
while ! (ulimit -v "$base" && "$1" --version >/dev/null 2>&1); do
    base=$((base + 2048))
    if [ "$base" -gt 1048576 ]; then
        echo "the program does not start under 1 GB" >&2
        exit 99
    fi
done
ulimit -v $((base + margin)) || exit 99
exec "$@"
