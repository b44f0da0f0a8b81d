#!/bin/sh
# Runs a command with the size of the files it writes limited to $1 blocks.
limit=$1
shift
ulimit -f "$limit" || exit 99
exec "$@"
