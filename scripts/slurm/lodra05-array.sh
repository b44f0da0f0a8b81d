#!/bin/sh
# Calculates a stand register on a Slurm cluster: one job array whose task K runs
# lodra05-batch --shard K/N, and one job, started once every task has succeeded, that joins
# each table's parts into the table one run over the whole register writes.
#
#   lodra05-array.sh [--runs N] [--cpus N] [--parts MAPP] [--no-results] [--bin PROGRAM]
#                    BESTÅND.csv N FRÖ --table FIL [--spread FIL] [--cycles FIL]
#                    [--compare FIL] [--measures FIL] [--estate FIL]
#
# Every shard writes into MAPP/K/ (default: lodra05-delar beside the first table): its
# tables with their notes (FIL.del) and its own result text, resultat.txt (with
# --no-results none is kept). MAPP/shard.sh and MAPP/join.sh are the jobs' scripts: a shard
# that failed is run again alone with "sbatch --array=K MAPP/shard.sh", then the join with
# "sbatch MAPP/join.sh". sbatch's own settings come from its environment (SBATCH_PARTITION,
# SBATCH_ACCOUNT, SBATCH_TIMELIMIT ...). Prints the two job ids.
set -eu

usage() {
    echo "lodra05-array.sh: $1" >&2
    echo "Användning: lodra05-array.sh [--runs N] [--cpus N] [--parts MAPP] [--no-results]" \
        "[--bin PROGRAM] BESTÅND.csv N FRÖ --table FIL [--spread FIL] ..." >&2
    exit 2
}

# A word for the shell, whatever it holds.
quoted() {
    printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"
}

runs="" cpus=1 parts="" results=1 bin=""
while [ $# -gt 0 ]; do
    case $1 in
        --runs) [ $# -ge 2 ] || usage "--runs behöver ett värde."; runs=$2; shift 2 ;;
        --cpus) [ $# -ge 2 ] || usage "--cpus behöver ett värde."; cpus=$2; shift 2 ;;
        --parts) [ $# -ge 2 ] || usage "--parts behöver en mapp."; parts=$2; shift 2 ;;
        --bin) [ $# -ge 2 ] || usage "--bin behöver ett program."; bin=$2; shift 2 ;;
        --no-results) results=0; shift ;;
        *) break ;;
    esac
done
[ $# -ge 3 ] || usage "Ange beståndsfilen, antalet delar och fröet."
register=$(realpath -e -- "$1") || usage "Beståndsfilen \"$1\" finns inte."
count=$2 seed=$3
shift 3
case $count in ''|*[!0-9]*) usage "Antalet delar ska vara ett heltal från 1 till 100000." ;; esac
[ "$count" -ge 1 ] && [ "$count" -le 100000 ] ||
    usage "Antalet delar ska vara ett heltal från 1 till 100000."
case $seed in ''|*[!0-9]*) usage "Fröet ska vara ett heltal från 0." ;; esac
if [ -z "$bin" ]; then
    bin=$(command -v lodra05-batch) || usage "lodra05-batch finns inte i PATH; ange --bin."
fi
bin=$(realpath -e -- "$bin")

# The tables: option, joined file and the part's name in each shard's folder.
joins=""
options=""
while [ $# -gt 0 ]; do
    case $1 in
        --table|--spread|--cycles|--compare|--measures|--estate) ;;
        *) usage "Okänd flagga \"$1\"." ;;
    esac
    [ $# -ge 2 ] || usage "Flaggan $1 behöver ett filnamn."
    file=$(realpath -m -- "$2")
    [ -n "$parts" ] || parts=$(dirname -- "$file")/lodra05-delar
    name=$(basename -- "$file")
    options="$options $1 \"\$dir\"/$(quoted "$name")"
    joins="${joins}set --
k=0
while [ \$k -lt $count ]; do
    set -- \"\$@\" \"\$parts\"/\$k/$(quoted "$name")
    k=\$((k + 1))
done
\"\$bin\" --join $(quoted "$file") \"\$@\"
"
    shift 2
done
[ -n "$joins" ] || usage "Ange minst en tabell (--table, --spread ...)."
[ -z "$runs" ] || options="$options --runs $(quoted "$runs")"
parts=$(realpath -m -- "$parts")
mkdir -p -- "$parts"
if [ "$results" = 1 ]; then
    result="\"\$dir\"/resultat.txt"
else
    result=/dev/null
fi

cat > "$parts/shard.sh" <<SHARD
#!/bin/sh
# Shard \$SLURM_ARRAY_TASK_ID of $count. Exit status 1 (rows that could not be calculated,
# named in the log) still gives complete tables; only 2 fails the task.
dir=$(quoted "$parts")/\$SLURM_ARRAY_TASK_ID
mkdir -p "\$dir"
status=0
$(quoted "$bin") --shard "\$SLURM_ARRAY_TASK_ID/$count" --seed $seed \\
    --threads "\${SLURM_CPUS_PER_TASK:-1}" --output $result$options \\
    $(quoted "$register") || status=\$?
[ "\$status" -le 1 ] || exit "\$status"
SHARD

cat > "$parts/join.sh" <<JOIN
#!/bin/sh
# Joins the tables of the $count shards.
set -e
parts=$(quoted "$parts")
bin=$(quoted "$bin")
$joins
JOIN
chmod +x "$parts/shard.sh" "$parts/join.sh"

array=$(sbatch --parsable --array="0-$((count - 1))" --cpus-per-task="$cpus" \
    --job-name=lodra05-del --output="$parts/slurm-%a.log" "$parts/shard.sh")
array=${array%%;*}
join=$(sbatch --parsable --dependency="afterok:$array" --kill-on-invalid-dep=yes \
    --job-name=lodra05-join --output="$parts/slurm-join.log" "$parts/join.sh")
join=${join%%;*}
echo "Delarna: jobb $array (0-$((count - 1)))"
echo "Sammanfogningen: jobb $join"
