#!/bin/sh
# Checks that every C++ file under version control is laid out as .clang-format says; names
# the files and lines that are not, and fails. `clang-format -i FILE` lays a file out.
set -eu
cd "$(dirname "$0")/.."
if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "format.sh: no git work tree here; nothing checked" >&2
    exit 0
fi
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run --Werror
