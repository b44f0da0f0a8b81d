#!/bin/sh
# manpage_options.sh PROGRAM PAGE: every long option PROGRAM --help names is in PAGE, and
# every option PAGE describes in its options section is one PROGRAM --help names.
set -eu
program=$1
page=$2
help_options=$("$program" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
# roff writes a minus as \-; the options section is the one after "OPTIONS" or "FLAGGOR".
text=$(sed 's/\\-/-/g' "$page")
described=$(echo "$text" | awk '
    /^\.SH/ { inside = ($2 == "OPTIONS" || $2 == "FLAGGOR"); next }
    inside && previous == ".TP" { print }
    { previous = $0 }' | grep -o -- '--[a-z][a-z0-9-]*' | sort -u)
status=0
for option in $help_options; do
    echo "$text" | grep -q -- "$option\\([^a-z0-9-]\\|\$\\)" ||
        { echo "$page: $option (from $program --help) is missing" >&2; status=1; }
done
for option in $described; do
    echo "$help_options" | grep -qx -- "$option" ||
        { echo "$page: $option is described but $program --help does not name it" >&2; status=1; }
done
[ -n "$described" ] || { echo "$page: no options section" >&2; status=1; }
exit $status
