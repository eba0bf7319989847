#!/usr/bin/env bash
# Starts a one-node SLURM cluster on this machine, runs a command against it,
# and stops the cluster again, so that end-to-end cases can run the README's
# job-array recipe on a real scheduler.
#
#   slurm_cluster.sh COMMAND [ARG]...
#
# COMMAND runs in the current directory with SLURM_CONF naming the cluster's
# configuration, so that sbatch, squeue and sinfo talk to this cluster and no
# other; for example "slurm_cluster.sh sbatch --wait --array=0-3 job.sh".
# The exit status is COMMAND's, or 77 (a skipped test) when the cluster
# cannot be had: not root, or Debian's slurmctld, slurmd, slurm-client and
# munge neither installed nor installable.  Anything else that goes wrong
# while the cluster starts is a failure (status 1), with its daemons' logs.
#
# Everything the cluster writes (its key, configuration, state, spool and
# logs) is in a temporary directory, removed at the end.  The daemons run in
# the foreground as children of this script, as root (as CI runs), and are
# stopped by process id whatever way the script ends, jobs cancelled first:
# nothing is left running.
set -u
say() { printf 'slurm_cluster: %s\n' "$*" >&2; }
skip() { say "skipped: $*"; exit 77; }

[ $# -gt 0 ] || { say "usage: slurm_cluster.sh COMMAND [ARG]..."; exit 2; }
[ "$(id -u)" = 0 ] || skip "the daemons must be started as root"

# --- The packages -----------------------------------------------------------
sbin=/usr/sbin
have_all() {
  [ -x $sbin/slurmctld ] && [ -x $sbin/slurmd ] && [ -x $sbin/munged ] &&
    command -v sbatch >/dev/null 2>&1 && command -v sinfo >/dev/null 2>&1
}
if ! have_all; then
  command -v apt-get >/dev/null 2>&1 || skip "slurmctld, slurmd, slurm-client and munge are not installed, and there is no apt-get to install them"
  say "installing slurmctld slurmd slurm-client munge"
  start=$SECONDS
  # The packages' scripts would start the daemons as system services, with
  # the system's configuration: a policy forbids that while they install.
  policy=/usr/sbin/policy-rc.d made_policy=""
  if [ ! -e $policy ]; then
    printf '#!/bin/sh\nexit 101\n' > $policy && chmod 755 $policy && made_policy=1
  fi
  { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
      --no-install-recommends slurmctld slurmd slurm-client munge; } > /dev/null 2>&1
  installed=$?
  [ -z "$made_policy" ] || rm -f $policy
  [ $installed = 0 ] && have_all ||
    skip "slurmctld, slurmd, slurm-client and munge could not be installed (apt-get failed)"
  say "installed in $((SECONDS - start)) s"
fi

# --- The cluster's files ----------------------------------------------------
dir=$(mktemp -d /tmp/slurm_cluster.XXXXXX)
chmod 755 "$dir"
pids=()          # the daemons, in the order started
stop() {
  local status=$?
  trap - EXIT INT TERM HUP
  if [ ${#pids[@]} -gt 1 ]; then  # slurmctld runs: cancel what is left
    SLURM_CONF=$dir/slurm.conf scancel --quiet --user=root 2>/dev/null
    for _ in $(seq 50); do
      [ -z "$(SLURM_CONF=$dir/slurm.conf squeue -h -o %i 2>/dev/null)" ] && break
      sleep 0.2
    done
  fi
  # A job's steps (slurmstepd) outlive it a little; each has a socket in the
  # spool directory until it ends.
  for _ in $(seq 100); do
    [ -z "$(find "$dir/spool" -type s 2>/dev/null)" ] && break
    sleep 0.1
  done
  local i pid
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do  # slurmd, slurmctld, munged
    pid=${pids[i]}
    kill -TERM "$pid" 2>/dev/null || continue
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
  done
  rm -rf "$dir"
  exit $status
}
trap stop EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

fail() {
  say "$*"
  for log in "$dir"/*.log; do [ -s "$log" ] && { say "--- $log"; tail -20 "$log" >&2; }; done
  exit 1
}

# Two free ports for slurmctld and slurmd, so that clusters of cases run at
# once (or a system's own SLURM) do not meet.
port_free() { ! ss -Hltn "sport = :$1" 2>/dev/null | grep -q .; }
ports=()
while [ ${#ports[@]} -lt 2 ]; do
  p=$((20000 + RANDOM % 30000))
  port_free "$p" && port_free "$((p + 1))" && ports=("$p" "$((p + 1))")
done

# MinJobAge: sbatch --wait asks about the job after 2 s, then 8, then 32,
# unless MinJobAge is under 6: then every 2 s, which a job ended less than
# MinJobAge ago (and so still known) answers.
host=$(hostname -s)
mkdir -p "$dir/munge" "$dir/state" "$dir/spool"
chmod 700 "$dir/munge"
head -c 1024 /dev/urandom > "$dir/munge/munge.key"
chmod 400 "$dir/munge/munge.key"
socket=$dir/munge/munge.socket
cat > "$dir/slurm.conf" <<EOF
ClusterName=tremvert
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=${ports[0]}
SlurmdPort=${ports[1]}
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$socket
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
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
SchedulerType=sched/backfill
MpiDefault=none
ReturnToService=2
SlurmdTimeout=30
MinJobAge=5
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=tremvert Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF=$dir/slurm.conf

# --- The daemons ------------------------------------------------------------
# Each daemon gets SIGTERM should this script be killed outright (SIGKILL, as
# a test's timeout may), when its traps cannot stop them.
daemon=()
setpriv --pdeathsig TERM true 2>/dev/null && daemon=(setpriv --pdeathsig TERM)
start=$SECONDS
"${daemon[@]}" $sbin/munged --foreground --force --key-file="$dir/munge/munge.key" \
  --socket="$socket" --pid-file="$dir/munge/munged.pid" \
  --seed-file="$dir/munge/munged.seed" --log-file="$dir/munged.log" 2>> "$dir/munged.log" &
pids+=($!)
for _ in $(seq 100); do [ -S "$socket" ] && break; sleep 0.1; done
[ -S "$socket" ] || fail "munged did not start"

"${daemon[@]}" $sbin/slurmctld -D -i -f "$SLURM_CONF" 2>> "$dir/slurmctld.log" &
pids+=($!)
"${daemon[@]}" $sbin/slurmd -D -f "$SLURM_CONF" -N "$host" 2>> "$dir/slurmd.log" &
pids+=($!)
state=""
for _ in $(seq 150); do
  for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null || fail "a daemon stopped while starting"; done
  state=$(sinfo -h -N -o %t 2>/dev/null)
  [ "$state" = idle ] && break
  sleep 0.2
done
[ "$state" = idle ] || fail "the node is not idle after 30 s (sinfo: ${state:-no answer})"
say "cluster up in $((SECONDS - start)) s"

"$@"
