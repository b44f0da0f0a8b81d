#!/bin/sh
# A one-node Slurm on this machine (controller, node daemon and munge, two CPUs, everything
# in a temporary folder) runs scripts/slurm/lodra05-array.sh over a register of STANDS
# stands in SHARDS shards, with the spread of RUNS runs and the table; the joined tables must
# be the bytes of one run over the whole register. A Slurm that cannot start fails the test,
# saying why. The daemons started here are stopped and the folder removed, whatever happens.
#
#   slurm_array.sh BIN ARRAY_SCRIPT [STANDS] [SHARDS] [RUNS]
set -u
bin=$1 array=$2 stands=${3:-200000} shards=${4:-8} runs=${5:-20}

fail() {
    echo "FEL: $*" >&2
    for log in "$work"/log/*; do
        [ -s "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
    done
    exit 1
}

work=$(mktemp -d /tmp/lodra05-slurm.XXXXXX) || { echo "FEL: ingen tillfällig mapp" >&2; exit 1; }
pids=""
cleanup() {
    if [ -n "$pids" ]; then
        SLURM_CONF=$work/slurm.conf scancel --user=root >/dev/null 2>&1 || true
        for pid in $pids; do kill "$pid" 2>/dev/null || true; done
        for pid in $pids; do
            # Each daemon ends on SIGTERM; one that does not within a minute is killed.
            n=0
            while kill -0 "$pid" 2>/dev/null && [ $n -lt 600 ]; do sleep 0.1; n=$((n + 1)); done
            kill -9 "$pid" 2>/dev/null || true
        done
    fi
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

for program in munged slurmctld slurmd sbatch squeue scontrol sinfo; do
    command -v "$program" >/dev/null ||
        fail "$program saknas: installera slurm-wlm och munge (scripts/deps.sh)."
done
mkdir -p "$work/munge" "$work/log" "$work/state" "$work/spool" "$work/out"
chmod 700 "$work/munge"

# munge with its own key and socket.
dd if=/dev/urandom of="$work/munge/munge.key" bs=1024 count=1 2>/dev/null
chmod 400 "$work/munge/munge.key"
socket=$work/munge/munge.socket
munged --foreground --force --socket="$socket" --key-file="$work/munge/munge.key" \
    --pid-file="$work/munge/munged.pid" --log-file="$work/log/munged.log" \
    --seed-file="$work/munge/munged.seed" >"$work/log/munged.out" 2>&1 &
pids="$pids $!"

# Ports from the process number, so that two runs of the test do not meet.
port=$((20000 + ($$ % 20000) * 2))
host=$(hostname -s)
cat > "$work/slurm.conf" <<CONF
ClusterName=lodra05test
SlurmctldHost=$host
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$socket
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool/%n
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
SwitchType=switch/none
ReturnToService=2
MinJobAge=600
SlurmdTimeout=300
NodeName=$host CPUs=2 State=UNKNOWN
PartitionName=test Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$work/slurm.conf"

n=0
until [ -S "$socket" ]; do
    n=$((n + 1)); [ $n -lt 300 ] || fail "munged startade inte."; sleep 0.1
done
slurmctld -D -i >"$work/log/slurmctld.out" 2>&1 &
pids="$pids $!"
slurmd -D >"$work/log/slurmd.out" 2>&1 &
pids="$pids $!"
n=0
until sinfo -h -o %T 2>/dev/null | grep -qx idle; do
    n=$((n + 1))
    [ $n -lt 600 ] || fail "Slurm startade inte: noden blev aldrig ledig ($(sinfo -h -o %T 2>&1))."
    for pid in $pids; do kill -0 "$pid" 2>/dev/null || fail "en av demonerna avslutades."; done
    sleep 0.1
done

# A register of varied stands, the same every time.
awk -v stands="$stands" 'BEGIN {
    srand(29)
    print "totaltid;variation;tradslag;dia1;avv1;dia2;avv2;dia3;dia4;dia5"
    split("Tall Gran Löv", kind, " ")
    for (i = 0; i < stands; i++)
        printf "%d;%d;%s;%d;%s;%d;;%d;%d;%d\n", 40 + int(rand() * 200), int(rand() * 30),
            kind[1 + int(rand() * 3)], 20 + int(rand() * 30), rand() < 0.5 ? "x" : "",
            15 + int(rand() * 25), 5 + int(rand() * 20), 3 + int(rand() * 10), 1 + int(rand() * 5)
}' > "$work/register.csv"

start=$(date +%s)
ids=$(sh "$array" --runs "$runs" --cpus 1 --no-results --bin "$bin" --parts "$work/parts" \
    "$work/register.csv" "$shards" 29 --spread "$work/out/spread.csv" \
    --table "$work/out/table.csv") || fail "lodra05-array.sh misslyckades: $ids"
echo "$ids"
# The test's own limit, below ctest's, so that the daemons are always stopped here.
deadline=$((start + 840))
join=$(echo "$ids" | sed -n 's/^Sammanfogningen: jobb \([0-9]*\)$/\1/p')
[ -n "$join" ] || fail "inget jobb-id för sammanfogningen i \"$ids\"."
while :; do
    state=$(scontrol -o show job "$join" 2>&1 | sed -n 's/.*JobState=\([A-Z_]*\).*/\1/p')
    case $state in
        COMPLETED) break ;;
        PENDING|RUNNING|CONFIGURING|COMPLETING)
            [ "$(date +%s)" -lt "$deadline" ] || fail "sammanfogningen blev inte klar." ;;
        *) for log in "$work"/parts/slurm-*.log; do cp "$log" "$work/log/"; done
           fail "sammanfogningen slutade som \"$state\"." ;;
    esac
    sleep 1
done
echo "Slurm: $((($(date +%s) - start))) s för $stands bestånd i $shards delar"

"$bin" --threads 2 --seed 29 --runs "$runs" --spread "$work/spread.csv" \
    --table "$work/table.csv" --output /dev/null "$work/register.csv"
[ $? -le 1 ] || fail "körningen över hela registret misslyckades."
cmp "$work/out/table.csv" "$work/table.csv" || fail "tabellen skiljer sig från hela körningens."
cmp "$work/out/spread.csv" "$work/spread.csv" ||
    fail "spridningen skiljer sig från hela körningens."
echo "Sammanfogade tabeller lika med hela körningens ($(wc -c < "$work/table.csv") och" \
    "$(wc -c < "$work/spread.csv") byte)."
