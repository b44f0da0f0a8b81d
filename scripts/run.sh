#!/bin/sh
# Installs what is missing, builds the desktop program and the batch tool (nothing else),
# and starts the desktop program.
set -eu
cd "$(dirname "$0")/.."
sh scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j2 --target lodra05 lodra05-batch
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "Ingen bildskärm hittades (varken DISPLAY eller WAYLAND_DISPLAY är satt), så fönstren kan inte visas."
    echo "Här är i stället rapporten för standardbeståndet, från kommandoradsverktyget lodra05-batch:"
    echo
    build/batch/lodra05-batch --output - tests/data/default.csv | iconv -f WINDOWS-1252 -t UTF-8
    exit 0
fi
exec build/ui/lodra05
