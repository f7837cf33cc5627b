#!/usr/bin/env bash
# Speed-up of converting a folder of scenes with `xargs -P 2` over one process, with the
# command that the README gives for folder trees. The folder holds COPIES copies of the
# corpus scenes (default 20) on a tmpfs when there is one; runs of one process and of
# two alternate, REPEATS times (default 7), and the medians are compared.
#
#   bench/parallel_speedup.sh [MESHLIFT]        default: build/bench/Meshlift, built if missing
#
# Environment: MESHLIFT_CORPUS (default ../shared/corpus/ase), COPIES, REPEATS.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
corpus=${MESHLIFT_CORPUS:-$root/../shared/corpus/ase}
copies=${COPIES:-20}
repeats=${REPEATS:-7}

if ! compgen -G "$corpus/*.[aA][sS][eE]" >/dev/null; then
    echo "parallel_speedup: skipped, no corpus scenes in $corpus"
    exit 0
fi

meshlift=${1:-$root/build/bench/Meshlift}
if [ ! -x "$meshlift" ]; then
    cmake -S "$root" -B "$root/build/bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DMESHLIFT_BUILD_BENCH=ON -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$root/build/bench" -j2 --target Meshlift >/dev/null
fi

base=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && base=/dev/shm
work=$(mktemp -d "$base/meshlift-parallel.XXXXXX")
trap 'rm -rf "$work"' EXIT
for ((c = 0; c < copies; c++)); do
    mkdir "$work/$c"
    cp "$corpus"/*.[aA][sS][eE] "$work/$c/"
done
files=$(find "$work" -type f | wc -l)
bytes=$(du -sb "$work" | cut -f1)

convert_folder() { # PROCESSES: converts every scene of the folder, fails when one fails
    find "$work" -type f \( -name '*.ASE' -o -name '*.ase' \) -print0 |
        MESHLIFT=$meshlift xargs -0 -n 16 -P "$1" sh -c \
            'status=0; for f; do "$MESHLIFT" "$f" "${f%.*}.xml" >/dev/null || status=1; done
             exit $status' sh
}
measure() { # PROCESSES: "wall cpu" seconds of converting the folder (cpu: user + system)
    local TIMEFORMAT='%R %U %S'
    { time convert_folder "$1"; } 2>&1 | awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }'
}
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

convert_folder 2 # warm the page cache and check that every scene converts
runs1=() runs2=()
for ((r = 0; r < repeats; r++)); do
    runs1+=("$(measure 1)")
    runs2+=("$(measure 2)")
done
column() { printf '%s\n' "${@:2}" | cut -d' ' -f"$1" | median; }
wall1=$(column 1 "${runs1[@]}") cpu1=$(column 2 "${runs1[@]}")
wall2=$(column 1 "${runs2[@]}") cpu2=$(column 2 "${runs2[@]}")
echo "folder: $files scenes, $((bytes / 1000000)) MB ($copies copies of $corpus), $(nproc) cores"
# Other work on the machine takes cores from the two processes: say how much there was.
[ -r /proc/loadavg ] && echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "-P 1: median wall $wall1 s, CPU $cpu1 s over $repeats runs"
echo "-P 2: median wall $wall2 s, CPU $cpu2 s over $repeats runs"
awk -v a="$wall1" -v b="$wall2" -v n="$files" 'BEGIN {
    printf "speed-up of -P 2 over -P 1: %.2f; %.0f scenes/s with -P 1, %.0f with -P 2\n", a / b, n / a, n / b }'
