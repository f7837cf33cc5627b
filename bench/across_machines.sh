#!/usr/bin/env bash
# What converting a folder on another machine costs per scene, against converting it
# here: the README's local `xargs -P` command, and the across-machines recipe
# (meshlift-batch pack | parallel --transferfile --cleanup --results --files |
# meshlift-batch unpack)
# sending its batches here (`:`, nothing copied) and to a second "machine", an sshd on
# 127.0.0.1 (the same cores, so wall times show only the overhead; the CPU times split
# it between the two sides). For comparison, the per-file recipe (`parallel --trc`: one
# rsync and ssh connection for each scene and each document) on 100 of the smallest
# scenes.
#
#   bench/across_machines.sh [BINDIR]   BINDIR: Meshlift and meshlift-batch; default:
#                                       build/bench/Meshlift (built if missing) and
#                                       scripts/meshlift-batch
#
# Environment: SETS (default "0.001:1 0.02:400 1:100 20:10": scenes of about MB:count,
# generated with bench/generate_scene.py; the single small scene gives each command's
# fixed cost, that of starting parallel and the first ssh connection), REPEATS (default
# 5), SLOTS (jobs per machine, default nproc), PER_FILE (scenes of the 0.02 MB set for
# the per-file recipe, default 100; 0 leaves it out), RSYNC_OPTS (parallel's rsync
# options for the shared-connection row; parallel's default -rlDzR compresses),
# BATCH (bytes a batch holds; default a quarter of the folder divided by the job slots,
# so that every slot gets about four).
#
# Local CPU: user + system time of every process of the command here (xargs or the
# pipeline, parallel, rsync and ssh included). Remote CPU: that of everything the sshd
# ran (its connection processes, rsync, meshlift-batch convert, Meshlift), read from
# the sshd's reaped children in /proc. Each figure is the median over the repeats, per
# scene. Needs parallel, rsync, ssh and sshd, perl and python3.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sets=${SETS:-0.001:1 0.02:400 1:100 20:10}
repeats=${REPEATS:-5}
slots=${SLOTS:-$(nproc)}
per_file=${PER_FILE:-100}

base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/meshlift-across.XXXXXX")
# shellcheck source=tests/loopback_sshd.sh
source "$root/tests/loopback_sshd.sh"
finish() {
    stop_loopback_sshd
    rm -rf "$work"
}
trap finish EXIT

mkdir "$work/bin"
if [ $# -ge 1 ]; then
    cp "$1/Meshlift" "$1/meshlift-batch" "$work/bin/"
else
    if [ ! -x "$root/build/bench/Meshlift" ]; then
        cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
            -DMESHLIFT_BUILD_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
        cmake --build "$root/build/bench" -j2 --target Meshlift >/dev/null
    fi
    cp "$root/build/bench/Meshlift" "$root/scripts/meshlift-batch" "$work/bin/"
fi
bin=$work/bin
# bash sources ~/.bashrc for the commands that sshd runs; Debian's default one returns at
# once when the shell is not interactive, but one that does more (this machine's root's
# runs `pyenv init`, 0.5 s) would be timed with every batch. With SHLVL set, bash does
# not take itself for sshd's shell and reads no ~/.bashrc.
start_loopback_sshd "$work" "SetEnv SHLVL=1"
cp "$work/ssh_config" "$work/ssh_config_shared"
printf '    ControlMaster auto\n    ControlPath %s/control-%%C\n    ControlPersist 60\n' "$work" \
    >>"$work/ssh_config_shared"
shared_ssh="ssh -F $work/ssh_config_shared -p $loopback_port"
finish() {
    $shared_ssh -O exit loopback 2>/dev/null || true
    stop_loopback_sshd
    rm -rf "$work"
}

remote_cpu_ticks() { # CPU ticks of the sshd's reaped children: cutime + cstime
    local fields
    read -r -a fields < <(sed 's/^.*) //' "/proc/$loopback_sshd_pid/stat")
    echo $((fields[13] + fields[14]))
}
ticks_per_second=$(getconf CLK_TCK)

xargs_local() {
    find scenes -type f -name '*.ASE' -print0 |
        xargs -0 -n 16 -P "$slots" sh -c \
            'status=0; for f; do "$0" "$f" "${f%.*}.xml" >/dev/null || status=1; done; exit $status' \
            "$bin/Meshlift"
}
batched() { # SSHLOGIN [PARALLEL OPTION...]
    local spool
    spool=$(mktemp -d meshlift-spool.XXXXXXXX)
    find scenes -type f -name '*.ASE' -print0 | "$bin/meshlift-batch" pack --size "$batch_size" "$spool" |
        parallel -0 --ssh "$loopback_ssh" -S "$1" "${@:2}" --results "$spool"/{/} --files \
            "$bin/meshlift-batch" convert {} |
        "$bin/meshlift-batch" unpack "$spool" >/dev/null
}
batched_here() { batched "$slots/:"; }
batched_remote() { batched "$slots/loopback" --transferfile {} --cleanup; }
# The same, with ssh sharing one connection among all sessions to the machine
# (ControlMaster in the ssh configuration; parallel's --controlmaster ran some jobs twice).
batched_remote_shared() {
    local loopback_ssh=$shared_ssh
    batched "$slots/loopback" --transferfile {} --cleanup ${RSYNC_OPTS:+--rsync-opts "$RSYNC_OPTS"}
    $shared_ssh -O exit loopback 2>/dev/null # so that the sshd reaps it and its time counts
}
per_file_remote() {
    find scenes -type f -name '*.ASE' -print0 | head -z -n "$per_file" |
        parallel -0 --ssh "$loopback_ssh" -S "$slots/loopback" --wd "$work/remote-wd" \
            --trc '{.}.xml' "$bin/Meshlift" {} {.}.xml >/dev/null
}

documents_digest() {
    find scenes -type f -name '*.xml' -print0 | sort -z | xargs -0 -r md5sum | md5sum | cut -c1-32
}
sshd_settled() { # waits until the sshd has reaped every connection (at most 5 s)
    for _ in $(seq 50); do
        pgrep -P "$loopback_sshd_pid" >/dev/null || return 0
        sleep 0.1
    done
}
measure() { # METHOD: runs it once in the current folder; prints "wall local_cpu remote_cpu"
    local before after TIMEFORMAT='%R %U %S' times
    find scenes -type f -name '*.xml' -delete
    sshd_settled
    before=$(remote_cpu_ticks)
    times=$({ time "$1" 2>"$work/stderr"; } 2>&1)
    sshd_settled
    after=$(remote_cpu_ticks)
    # parallel's note that a run here alone copies nothing is no fault
    grep -v 'transferfile ignored as there are no remote' "$work/stderr" >&2 || true
    awk -v t="$times" -v r=$((after - before)) -v hz="$ticks_per_second" \
        'BEGIN { split(t, f, " "); printf "%.3f %.3f %.3f\n", f[1], f[2] + f[3], r / hz }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "$(nproc) cores, $slots jobs per machine, $repeats repeats; load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '| scenes | MB each | batch MB | method | wall s | wall ms/scene | local CPU ms/scene | remote CPU ms/scene |\n'
printf '|---:|---:|---:|---|---:|---:|---:|---:|\n'
for set in $sets; do
    size=${set%%:*} count=${set##*:}
    folder=$work/set-$size
    mkdir -p "$folder/scenes"
    # A few distinct scenes, copied, in folders of 50.
    distinct=$((count < 20 ? count : 20))
    for ((i = 0; i < distinct; i++)); do
        python3 "$root/bench/generate_scene.py" --size-mb "$size" --objects 5 --seed "$i" \
            "$folder/distinct-$i.ASE"
    done
    for ((i = 0; i < count; i++)); do
        mkdir -p "$folder/scenes/group$((i / 50))"
        cp "$folder/distinct-$((i % distinct)).ASE" "$folder/scenes/group$((i / 50))/scene$i.ASE"
    done
    rm -f "$folder"/distinct-*.ASE
    megabytes=$(du -sb "$folder/scenes" | awk -v n="$count" '{ printf "%.2f", $1 / n / 1e6 }')
    batch_size=${BATCH:-$(($(du -sb "$folder/scenes" | cut -f1) / (4 * slots)))}
    cd "$folder"
    methods=(xargs_local batched_here batched_remote batched_remote_shared)
    declare -A runs=()
    for ((r = 0; r < repeats; r++)); do
        for method in "${methods[@]}"; do
            runs[$method]+="$(measure "$method")"$'\n'
            digest=$(documents_digest)
            if [ "$method" = xargs_local ]; then
                want=$digest
            elif [ "$digest" != "$want" ]; then
                echo "across_machines: $method wrote other documents than xargs" >&2
                exit 1
            fi
        done
    done
    if [ "$per_file" -gt 0 ] && [ "$size" = 0.02 ]; then
        methods+=(per_file_remote)
        runs[per_file_remote]=$(measure per_file_remote)
    fi
    for method in "${methods[@]}"; do
        n=$count
        [ "$method" != per_file_remote ] || n=$((per_file < count ? per_file : count))
        column() { printf '%s' "${runs[$method]}" | awk -v c="$1" 'NF { print $c }' | median; }
        wall=$(column 1) cpu=$(column 2) remote=$(column 3)
        awk -v n="$n" -v mb="$megabytes" -v b="$batch_size" -v m="$method" -v w="$wall" -v c="$cpu" -v r="$remote" \
            'BEGIN { printf "| %d | %s | %.2f | %s | %.2f | %.2f | %.2f | %.2f |\n", n, mb, b / 1e6, m, w, 1000 * w / n, 1000 * c / n, 1000 * r / n }'
    done
    unset runs
    echo "| | | | load average after this folder: $(cut -d' ' -f1-3 /proc/loadavg) | | | | |"
    cd "$work"
    rm -rf "$folder"
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
