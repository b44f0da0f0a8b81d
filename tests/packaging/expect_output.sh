#!/bin/sh
# expect_output.sh STATUS STDOUT COMMAND...: COMMAND, run without a display, ends with
# STATUS and prints exactly STDOUT (printf escapes allowed) on standard output.
set -u
status=$1
expected=$(printf "$2_")
shift 2
actual=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$@"; echo "_$?")
rc=${actual##*_}
actual=${actual%_*}
if [ "$rc" != "$status" ] || [ "${actual}_" != "$expected" ]; then
    echo "$*: status $rc, expected $status" >&2
    printf 'printed:  [%s]\nexpected: [%s]\n' "$actual" "${expected%_}" >&2
    exit 1
fi
