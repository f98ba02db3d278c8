#!/usr/bin/env bash
# A one-node Slurm cluster on this machine, all of it in one directory: munged, slurmctld
# and slurmd with a configuration, sockets, state and logs of their own, on free ports.
#
#   one-node-slurm.sh start DIR   starts it; prints the line to source (SLURM_CONF=...)
#   one-node-slurm.sh stop DIR    stops the three daemons it started there
#
# Needs root (slurmd starts jobs as their user) and Debian's munge and slurm-wlm; exits 77
# with a message when either is missing, so that a test can skip.
set -euo pipefail

usage() { echo "usage: $0 start|stop DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
action=$1
dir=$(mkdir -p "$2" && cd "$2" && pwd)

stop() {
  local name pid
  for name in slurmd slurmctld munged; do
    [ -s "$dir/$name.pid" ] || continue
    pid=$(cat "$dir/$name.pid")
    # Only the daemon this directory started: its pid file names it and it still runs.
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid" 2>/dev/null || true
      for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
      kill -0 "$pid" 2>/dev/null && kill -9 "$pid" 2>/dev/null || true
    fi
    rm -f "$dir/$name.pid"
  done
}

free_port() {
  local p
  for _ in $(seq 100); do
    p=$((20000 + RANDOM % 30000))
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then echo "$p"; return; fi
  done
  echo "no free port found" >&2
  exit 1
}

case $action in
  stop) stop; exit 0 ;;
  start) ;;
  *) usage ;;
esac

if [ "$(id -u)" -ne 0 ]; then
  echo "one-node Slurm: not root (slurmd must start jobs as their user)" >&2
  exit 77
fi
for cmd in munged mungekey slurmctld slurmd sbatch squeue sinfo scontrol; do
  if ! command -v "$cmd" >/dev/null; then
    echo "one-node Slurm: $cmd missing (apt-get install munge slurm-wlm)" >&2
    exit 77
  fi
done

mkdir -p "$dir/state" "$dir/spool" "$dir/munge"
chmod 700 "$dir/munge"
mungekey --create --force --keyfile="$dir/munge/munge.key" 2>/dev/null
chmod 400 "$dir/munge/munge.key"
munged --force --socket="$dir/munge/socket" --key-file="$dir/munge/munge.key" --pid-file="$dir/munged.pid" \
  --log-file="$dir/munged.log" --seed-file="$dir/munge/seed" 2>>"$dir/munged.log"

host=$(hostname -s)
cpus=$(nproc)
cat >"$dir/slurm.conf" <<CONF
ClusterName=pvc
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$(free_port)
SlurmdPort=$(free_port)
AuthType=auth/munge
AuthInfo=socket=$dir/munge/socket
CredType=cred/munge
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/slurmctld.log
SlurmdLogFile=$dir/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SwitchType=switch/none
MpiDefault=none
SchedulerType=sched/backfill
SchedulerParameters=sched_interval=1,bf_interval=1
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
MaxArraySize=1001
NodeName=$host NodeAddr=127.0.0.1 CPUs=$cpus State=UNKNOWN
PartitionName=pvc Nodes=$host Default=YES MaxTime=INFINITE State=UP OverSubscribe=NO
CONF
export SLURM_CONF=$dir/slurm.conf
if ! slurmctld -i 2>>"$dir/slurmctld.log" || ! slurmd 2>>"$dir/slurmd.log"; then
  echo "one-node Slurm: a daemon did not start (logs in $dir)" >&2
  stop
  exit 1
fi
for _ in $(seq 100); do
  state=$(sinfo -h -o %T 2>/dev/null || true)
  case $state in idle*|mixed*|allocated*) echo "export SLURM_CONF=$dir/slurm.conf"; exit 0 ;; esac
  sleep 0.2
done
echo "one-node Slurm: the node did not come up (state '${state:-none}', logs in $dir)" >&2
stop
exit 1
