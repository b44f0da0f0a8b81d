#!/bin/sh
# Builds of lodra05-batch measured against each other, taking turns, on the registers of
# batch_bench: wall, user and sys seconds and peak RSS in MB, the median of the runs.
#   [RUNS=3] bench/pipeline_compare.sh BINARY BINARY...
# The binaries are copied first (as 1, 2 ...), so that a rebuild during the runs changes nothing.
set -eu
[ $# -ge 2 ] || { echo "usage: [RUNS=3] $0 BINARY BINARY..." >&2; exit 2; }
runs=${RUNS:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bins="" n=0
for bin in "$@"; do
    n=$((n + 1))
    cp "$bin" "$work/$n"
    bins="$bins $n"
done

# The rows of standRegister in batch_bench.cpp, CRLF; the long texts of BM_BatchRunLongTexts 0.
python3 - "$work" <<'EOF'
import sys
folder = sys.argv[1]
species = ["Tall", "Gran", "Löv"]
def register(n, name):
    rows = ["totaltid;bonitet;areal;ranta;tradslag;dia1;avv1;dia2;avv2;dia3;dia4"]
    for i in range(n):
        b = str(35 + i % 11)
        rows.append(f"250;{b[0]}.{b[1:]};50;{2 + i % 4};{species[i % 3]};45;x;35;;1;1")
    open(f"{folder}/{name}", "wb").write(("\r\n".join(rows) + "\r\n").encode())
register(100000, "r100k.csv")
register(1000000, "r1m.csv")
open(f"{folder}/long.csv", "w").write("totaltid;maxRing;ranta\n" + "32767;100;2\n" * 1000)
EOF

# measure NAME RUNS ARGS...: one line per run and binary, "NAME BIN wall user sys rss_kb".
measure() {
    name=$1 count=$2
    shift 2
    i=0
    while [ "$i" -lt "$count" ]; do
        for bin in $bins; do
            (
                cd "$work"
                if /usr/bin/time -o time.txt -f "%e %U %S %M" "./$bin" --seed 1 "$@" >/dev/null 2>&1
                then
                    echo "$name $bin $(cat time.txt)"
                else
                    echo "$name $bin failed" >&2
                fi
                rm -f o.txt t.csv c.csv
            )
        done
        i=$((i + 1))
    done
}

{
    measure "100k-threads-1" "$runs" --threads 1 --output o.txt --table t.csv r100k.csv
    measure "100k-threads-2" "$runs" --threads 2 --output o.txt --table t.csv r100k.csv
    measure "1M-threads-2" 2 --threads 2 --output o.txt --table t.csv r1m.csv
    measure "long-threads-16" "$runs" --threads 16 --cycles c.csv --output o.txt long.csv
} | tee "$work/runs.txt" >&2

python3 - "$work/runs.txt" <<'EOF'
import statistics, sys
runs = {}
for line in open(sys.argv[1]):
    name, bin, *figures = line.split()
    runs.setdefault((name, bin), []).append([float(f) for f in figures])
print(f"{'case':18} {'bin':3} {'wall s':>7} {'user s':>7} {'sys s':>6} {'RSS MB':>7}")
for (name, bin), rows in runs.items():
    wall, user, sys_, rss = (statistics.median(column) for column in zip(*rows))
    print(f"{name:18} {bin:3} {wall:7.2f} {user:7.2f} {sys_:6.2f} {rss / 1024:7.1f}")
EOF
