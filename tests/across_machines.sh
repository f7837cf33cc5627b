#!/usr/bin/env bash
# The README's recipe for converting a folder across machines, run as written against a
# real ssh server: this machine (`:`) and a second "machine", an sshd that this test
# starts on 127.0.0.1 at a free port with a throw-away host key and user key, and stops
# by its process id at the end.
#
#   tests/across_machines.sh BINDIR
#
# BINDIR holds Meshlift and meshlift-batch as `cmake --install` puts them, on no PATH:
# the remote side runs `BINDIR/meshlift-batch convert`, which finds Meshlift beside it.
# Every document must equal the one a local conversion writes, the console lines too;
# a scene that cannot be read and a document that cannot be created must be reported,
# and the run's exit status must then be non-zero. Needs sshd and ssh (openssh-server,
# openssh-client), GNU parallel, rsync and perl.
set -euo pipefail
bindir=$(cd "$1" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
# shellcheck source=tests/loopback_sshd.sh
source "$root/tests/loopback_sshd.sh"
finish() {
    stop_loopback_sshd
    rm -rf "$work"
}
trap finish EXIT

passed=0
check() { # NAME COMMAND...
    if "${@:2}"; then
        passed=$((passed + 1))
    else
        echo "across machines: failed: $1"
        [ ! -s "$work/sshd.log" ] || sed 's/^/sshd: /' "$work/sshd.log"
        exit 1
    fi
}

# The second machine; its login folder is where parallel copies the batches.
start_loopback_sshd "$work"
ssh_command=$loopback_ssh
remote_home=$(getent passwd "$(id -un)" | cut -d: -f6)

# The folder: every test scene and corpus scene, also under names with blanks and
# accents, once converted here alone (the reference) and once across the two machines.
mkdir -p "$work/batch/scenes/Szenen mit Umlauten äöü" "$work/batch/scenes/corpus" "$work/local"
cp "$root"/tests/data/*.[Aa][Ss][Ee] "$root"/examples/*.ASE "$work/batch/scenes/"
cp "$root"/tests/data/*.[Aa][Ss][Ee] "$work/batch/scenes/Szenen mit Umlauten äöü/"
if [ -d "$root/../shared/corpus/ase" ]; then
    find "$root/../shared/corpus/ase" -maxdepth 1 -type f -iname '*.ase' \
        -exec cp {} "$work/batch/scenes/corpus/" \;
fi
# A scene whose document cannot be created: its name is taken by a folder.
cp "$root/examples/sample.ASE" "$work/batch/scenes/blocked scene.ASE"
cp -r "$work/batch/scenes" "$work/local/"
mkdir "$work/batch/scenes/blocked scene.xml" "$work/local/scenes/blocked scene.xml"
scene_count=$(find "$work/batch/scenes" -type f -iname '*.ase' | wc -l)
# About eight batches, so that both machines get some, and each batch several scenes.
batch_size=$(($(du -sb "$work/batch/scenes" | cut -f1) / 8))

list_scenes() { # the README's find, and one scene that is named but does not exist
    find scenes -type f \( -name '*.ASE' -o -name '*.ase' \) -print0
    printf '%s\0' 'scenes/gone.ASE'
}
local_status=0
(cd "$work/local" && list_scenes | xargs -0 -n 16 sh -c \
    'status=0; for f; do "$0" "$f" "${f%.*}.xml" || status=1; done; exit $status' \
    "$bindir/Meshlift" >"$work/local.out") || local_status=$?

across() { # SSHLOGIN CONVERT...: the recipe as the README writes it (the spool relative,
    # so that the remote machine's copy of a batch lies elsewhere than this one's); its
    # output and messages go to $work/across.*
    (cd "$work/batch" && spool=$(mktemp -u meshlift-spool.XXXXXXXX) && echo "$spool" >"$work/spool" &&
        list_scenes | "$bindir/meshlift-batch" pack --size "$batch_size" "$spool" |
        parallel -0 --ssh "$ssh_command" -S "$1" --joblog "$work/joblog" \
            --transferfile {} --cleanup "${@:2}" {} |
        "$bindir/meshlift-batch" unpack "$spool") >"$work/across.out" 2>"$work/across.err"
}
across_status=0
across 1/:,2/loopback "$bindir/meshlift-batch" convert || across_status=$?

failed_locally() { [ "$local_status" -ne 0 ]; }
check "the local reference fails for its two failing scenes" failed_locally
failed_across() { [ "$across_status" -ne 0 ]; }
check "across machines: non-zero exit status" failed_across
check "across machines: unreadable scene reported" \
    grep -q '^meshlift-batch: scenes/gone.ASE: cannot be read: No such file' "$work/across.err"
check "across machines: document that cannot be created reported" \
    grep -q '^meshlift-batch: scenes/blocked scene.ASE: cannot create scenes/blocked scene.xml' \
    "$work/across.err"
only_those_two() { [ "$(grep -c '^meshlift-batch: ' "$work/across.err")" = 2 ]; }
check "across machines: no other scene reported" only_those_two
ran_on() { # HOST: the joblog shows a job that ran there and succeeded or failed as one
    awk -F'\t' -v host="$1" 'NR > 1 && $2 == host { found = 1 } END { exit !found }' "$work/joblog"
}
check "jobs ran here" ran_on :
check "jobs ran on the loopback machine" ran_on loopback
same_documents() { # every document of the reference, byte for byte, and no other
    local count=0 document
    while IFS= read -r -d '' document; do
        cmp -s "$work/local/$document" "$work/batch/$document" || { echo "differs: $document"; return 1; }
        count=$((count + 1))
    done < <(cd "$work/local" && find scenes -type f -name '*.xml' -print0)
    [ "$count" -eq "$((scene_count - 1))" ] &&
        [ "$(cd "$work/batch" && find scenes -type f -name '*.xml' | wc -l)" -eq "$count" ]
}
check "every document equal to the local conversion's" same_documents
same_console() { # Meshlift's console lines, but those of the two failing scenes
    cmp -s <(grep -v -e 'blocked scene' -e gone.ASE "$work/local.out" | sort) \
        <(sort "$work/across.out")
}
check "console lines equal to the local conversion's" same_console
nothing_left_here() { # no temporary document, no batch
    [ -z "$(find "$work/batch" -name '*.meshlift-batch-*' -o -name 'meshlift-spool.*')" ]
}
nothing_left() { # here, nor on the remote machine
    nothing_left_here && ! compgen -G "$remote_home/$(cat "$work/spool")*" >/dev/null
}
check "nothing left behind" nothing_left

# Meshlift not on the remote's non-interactive PATH, and no Meshlift beside the script
# run there: every scene sent there is reported, and the run fails.
mkdir "$work/bare"
cp "$bindir/meshlift-batch" "$work/bare/"
rm -rf "$work/batch/scenes"/*.xml "$work/batch/scenes"/*/*.xml
mkdir "$work/batch/scenes/blocked scene.xml"
across_status=0
across 2/loopback "$work/bare/meshlift-batch" convert || across_status=$?
check "without Meshlift there: non-zero exit status" failed_across
not_on_path() {
    [ "$(grep -c ': not converted on .*: Meshlift is not on the PATH here' "$work/across.err")" \
        -eq "$scene_count" ]
}
check "without Meshlift there: every scene reported" not_on_path
# Given by its path, it is found.
across_status=0
rm -rf "$work/batch/scenes"/*.xml "$work/batch/scenes"/*/*.xml
mkdir "$work/batch/scenes/blocked scene.xml"
across 2/loopback "$work/bare/meshlift-batch" convert --meshlift "$bindir/Meshlift" || across_status=$?
check "Meshlift given by its path: every document equal" same_documents
# No meshlift-batch there: no batch sent there comes back, and each of its scenes is
# reported.
across_status=0
across 2/loopback "$work/bare/none/meshlift-batch" convert || across_status=$?
check "without meshlift-batch there: non-zero exit status" failed_across
not_back() {
    [ "$(grep -c ': not converted: its batch.s results did not come back' "$work/across.err")" \
        -eq "$((scene_count + 1))" ]
}
check "without meshlift-batch there: every scene reported" not_back
check "without meshlift-batch there: nothing left behind here" nothing_left_here
# There, parallel's cleanup cannot remove the copies of the batches, which are folders.
rm -rf "$remote_home/$(cat "$work/spool")"-*

echo "across machines: $passed passed, 0 failed ($scene_count scenes, sshd on 127.0.0.1:$loopback_port)"
