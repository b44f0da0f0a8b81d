#!/bin/bash
# completion.sh PROGRAM COMPLETION: what the shell offers after each typed line, in a
# folder with a stand file, another file and a subfolder. After "--" it must offer every
# option PROGRAM --help names.
set -u
program=$1
source /usr/share/bash-completion/bash_completion || exit 1
source "$2" || exit 1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" && touch bestand.csv ut.txt && mkdir register

every_option=$("$program" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u | tr '\n' ' ')

# What is offered for LINE, sorted, on one line. The shell splits words at blanks and
# around "=", as it does by default.
offered() {
    local line=$1
    read -r -a COMP_WORDS <<<"${line//=/ = }"
    [[ $line == *[\ =] ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _lodra05_batch
    printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | sort | tr '\n' ' '
}

status=0
while IFS='|' read -r line expected; do
    actual=$(offered "$line")
    if [[ $actual != "$expected" ]]; then
        echo "after [$line]: offered [$actual], expected [$expected]" >&2
        status=1
    fi
done <<EOF2
lodra05-batch --ou|--output 
lodra05-batch --th|--threads 
lodra05-batch --cycles c.csv --com|--compare 
lodra05-batch --|$every_option
lodra05-batch |bestand.csv register 
lodra05-batch --seed 5 |bestand.csv register 
lodra05-batch --table |bestand.csv register ut.txt 
lodra05-batch --output=|bestand.csv register ut.txt 
lodra05-batch --compare u|ut.txt 
lodra05-batch --seed |
lodra05-batch --threads=|
EOF2
exit $status
