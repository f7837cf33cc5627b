#!/usr/bin/env bash
# The README's recipe for converting a folder across machines, run as written against a
# real ssh server: this machine (`:`) and a second "machine", an sshd that this test
# starts on 127.0.0.1 at a free port with a throw-away host key and user key, and stops
# by its process id at the end. Then the faults of an unlucky run and of a hostile other
# machine: each must cost only the scenes it concerns, name each of them, fail the run,
# and change no file here but the run's own documents.
#
#   tests/across_machines.sh BINDIR
#   tests/across_machines.sh --meshlift PATH   (CTest: a bin folder of PATH and
#                                               scripts/meshlift-batch, made here;
#                                               MESHLIFT_MACHINES_BIN names one instead)
#
# BINDIR holds Meshlift and meshlift-batch as `cmake --install` puts them, on no PATH:
# the remote side runs `BINDIR/meshlift-batch convert`, which finds Meshlift beside it.
# Every document must equal the one a local conversion writes, the console lines too.
# Needs sshd and ssh (openssh-server, openssh-client), GNU parallel, rsync, perl and
# python3; exits with 77 (skipped) when one is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
missing=()
for tool in parallel rsync ssh ssh-keygen perl python3 timeout; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ -x /usr/sbin/sshd ] || missing+=(sshd)
if [ ${#missing[@]} -gt 0 ]; then
    echo "across machines: skipped: missing ${missing[*]} (apt-get install openssh-server openssh-client parallel rsync)"
    exit 77
fi
work=$(mktemp -d)
mounts=()
# shellcheck source=tests/loopback_sshd.sh
source "$root/tests/loopback_sshd.sh"
finish() {
    stop_loopback_sshd
    for mount in "${mounts[@]}"; do umount "$mount" 2>/dev/null || true; done
    # The copies that the remote machine keeps of the runs' batches, when a case failed.
    if [ -s "$work/spools" ]; then
        while read -r spool; do rm -rf "${remote_home:?}/$spool"-*; done <"$work/spools"
    fi
    rm -rf "$work"
}
trap finish EXIT
if [ "${1:-}" = --meshlift ] || [ -n "${MESHLIFT_MACHINES_BIN:-}" ]; then
    if [ -n "${MESHLIFT_MACHINES_BIN:-}" ]; then
        bindir=$(cd "$MESHLIFT_MACHINES_BIN" && pwd)
    else
        bindir=$work/bin
        mkdir "$bindir"
        cp "$2" "$bindir/Meshlift"
        cp "$root/scripts/meshlift-batch" "$bindir/"
    fi
else
    bindir=$(cd "$1" && pwd)
fi

passed=0
check() { # NAME COMMAND...
    if "${@:2}"; then
        passed=$((passed + 1))
    else
        echo "across machines: failed: $1"
        [ ! -s "$work/across.err" ] || sed 's/^/stderr: /' "$work/across.err" | head -40
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

# The recipe as the README writes it, in FOLDER (default $work/batch), with the scenes
# that list_scenes names: `across SSHLOGIN CONVERT...`. The spool is relative, so that
# the remote machine's copy of a batch lies elsewhere than this one's. Its output and
# messages go to $work/across.*, its status to across_status; every run ends within
# three minutes.
folder=$work/batch
pack_options=()
across() {
    across_status=0
    (cd "$folder" && set -o pipefail && spool=${spool_name:-$(mktemp -d meshlift-spool.XXXXXXXX)} &&
        echo "$spool" >"$work/spool" && echo "$spool" >>"$work/spools" &&
        list_scenes | "$bindir/meshlift-batch" pack --size "$batch_size" "${pack_options[@]}" "$spool" |
        timeout --foreground 180 parallel -0 --ssh "$ssh_command" -S "$1" --joblog "$work/joblog" \
            --transferfile {} --cleanup --results "$spool"/{/} --files "${@:2}" {} |
        timeout --foreground 180 "$bindir/meshlift-batch" unpack "$spool") >"$work/across.out" 2>"$work/across.err" ||
        across_status=$?
}
across 1/:,2/loopback "$bindir/meshlift-batch" convert

failed_locally() { [ "$local_status" -ne 0 ]; }
check "the local reference fails for its two failing scenes" failed_locally
failed_across() { [ "$across_status" -ne 0 ]; }
succeeded_across() { [ "$across_status" -eq 0 ]; }
check "across machines: non-zero exit status" failed_across
check "across machines: unreadable scene reported" \
    grep -q '^meshlift-batch: scenes/gone.ASE: cannot be read: No such file' "$work/across.err"
check "across machines: document that cannot be created reported" \
    grep -q '^meshlift-batch: scenes/blocked scene.ASE: cannot create scenes/blocked scene.xml' \
    "$work/across.err"
reported() { # COUNT: lines of meshlift-batch's on stderr
    [ "$(grep -c '^meshlift-batch: ' "$work/across.err")" = "$1" ]
}
check "across machines: no other scene reported" reported 2
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
nothing_left_here() { # no temporary document, no batch, no spool
    [ -z "$(find "$folder" -name '.*' ! -name . -o -name 'meshlift-spool.*')" ]
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
across 2/loopback "$work/bare/meshlift-batch" convert
check "without Meshlift there: non-zero exit status" failed_across
not_on_path() {
    [ "$(grep -c ': not converted on .*: Meshlift is not on the PATH here' "$work/across.err")" \
        -eq "$scene_count" ]
}
check "without Meshlift there: every scene reported" not_on_path
# Given by its path, it is found.
rm -rf "$work/batch/scenes"/*.xml "$work/batch/scenes"/*/*.xml
mkdir "$work/batch/scenes/blocked scene.xml"
across 2/loopback "$work/bare/meshlift-batch" convert --meshlift "$bindir/Meshlift"
check "Meshlift given by its path: every document equal" same_documents
# No meshlift-batch there: no batch sent there comes back, and each of its scenes is
# reported.
across 2/loopback "$work/bare/none/meshlift-batch" convert
check "without meshlift-batch there: non-zero exit status" failed_across
not_back() { # COUNT
    [ "$(grep -c ': not converted: its batch.s results did not come back' "$work/across.err")" -eq "$1" ]
}
check "without meshlift-batch there: every scene reported" not_back "$scene_count"
check "without meshlift-batch there: nothing left behind here" nothing_left_here
# There, parallel's cleanup cannot remove the copies of the batches, which are folders.
rm -rf "$remote_home/$(cat "$work/spool")"-*

# --- A hostile other machine: its `convert` runs the real one, then sends in place of its
# results another run's genuine results, the lines of the earlier format naming a folder
# here, `../` and absolute paths, results naming another batch, its own results with
# more after their end, or cut short. Nothing here changes: not the documents converted
# before, not the folder named, not a file outside; each scene is named.
snapshot() { # every file under $work but the remote machine's and the run's scratch
    (cd "$work" && find batch victim -printf '%p %y %s %m %l\n' | sort &&
        find batch victim -type f -print0 | sort -z | xargs -0 md5sum)
}
mkdir -p "$work/victim/scenes"
echo 'not to be touched' >"$work/victim/scenes/outside.xml"
echo 'not to be touched' >"$work/victim/keep"
# Another run's genuine results: a batch of its own, converted here.
mkdir "$work/other" && cp "$root/examples/sample.ASE" "$work/other/"
(cd "$work/other" && printf 'sample.ASE\0' | "$bindir/meshlift-batch" pack other-spool >/dev/null &&
    "$bindir/meshlift-batch" convert other-spool-000001 >"$work/genuine-other")
cat >"$work/hostile" <<'EOF'
#!/bin/sh
# A hostile `convert`: BINDIR WORK BATCH
batch=$3
number=${batch##*-}
hex() { printf '%s' "$1" | od -An -tx1 -v | tr -d ' \n'; }
"$1/meshlift-batch" convert "$batch" >"$2/hostile-genuine.$number" || true
case $(expr "$number" % 5) in
0) cat "$2/genuine-other" ;;
1)  printf 'batch %s\n' "$(hex "$2/victim")"
    for name in ../outside.ASE "$2/victim/scenes/outside.ASE" ../../victim/keep.ASE; do
        printf 'result %s 0 %s \ndocument 6\nforged' "$(hex "$name")" "$(hex host)"
    done
    printf 'end\n' ;;
2)  printf 'meshlift-batch results 3\nbatch %s\nscene 1 0 %s  0 6\nforgedend 1\n' \
        "$(hex "../victim/$batch")" "$(hex host)" ;;
3) cat "$2/hostile-genuine.$number"; printf 'scene 2 0 00  0 6\nforged' ;;
4) head -c 300 "$2/hostile-genuine.$number" ;;
esac
rm -f "$2/hostile-genuine.$number"
EOF
chmod +x "$work/hostile"
across 1/:,2/loopback "$bindir/meshlift-batch" convert # every document there, and right
check "before the hostile machine: every document" same_documents
snapshot >"$work/before"
rm -f "$work/joblog"
across 2/loopback "$work/hostile" "$bindir" "$work"
snapshot >"$work/after"
check "hostile machine: non-zero exit status" failed_across
check "hostile machine: no file here changed" cmp -s "$work/before" "$work/after"
hostile_reported() { # each scene, once
    [ "$(grep -c ': not converted: its batch.s results are broken' "$work/across.err")" \
        -eq "$((scene_count))" ]
}
check "hostile machine: every scene sent there named" hostile_reported
check "hostile machine: nothing left behind here" nothing_left_here
rm -rf "$remote_home/$(cat "$work/spool")"-*

# --- A remote machine whose output is cut short, batch by batch (one scene each): two
# scenes whose results are longer than the cut, three shorter. The long ones are named
# and get no document, the others are right, and no other message comes.
mkdir -p "$work/cut/scenes"
python3 "$root/bench/generate_scene.py" --size-mb 1 --objects 5 --seed 1 "$work/cut/scenes/a0big.ASE"
python3 "$root/bench/generate_scene.py" --size-mb 1 --objects 5 --seed 2 "$work/cut/scenes/a1big.ASE"
cp "$root/tests/data/plane.ASE" "$root/tests/data/RotatingCube.ASE" "$root/examples/sample.ASE" \
    "$work/cut/scenes/"
reference() { # SCENE...: the local conversion of each, as NAME.ref beside NAME.ASE
    local scene
    for scene; do "$bindir/Meshlift" "$scene" "${scene%.*}.ref" >/dev/null || true; done
}
reference "$work"/cut/scenes/*.ASE
list_scenes() { find scenes -type f -name '*.ASE' -print0 | sort -z; }
right_or_named() { # SCENE...: each scene's document equals its reference, or the scene
    # is named on stderr and its document is as it was (NAME.before, or none)
    local scene document
    for scene; do
        document=${scene%.*}.xml
        if grep -q -F "meshlift-batch: $scene: " "$work/across.err"; then
            if [ -e "$folder/${scene%.*}.before" ]; then
                cmp -s "$folder/${scene%.*}.before" "$folder/$document" || { echo "changed: $document"; return 1; }
            elif [ -e "$folder/$document" ]; then
                echo "written: $document"; return 1
            fi
        else
            cmp -s "$folder/${scene%.*}.ref" "$folder/$document" || { echo "differs: $document"; return 1; }
        fi
    done
}
printf '#!/bin/sh\n# convert, its output cut after BYTES: BINDIR BYTES BATCH\n"$1/meshlift-batch" convert "$3" | head -c "$2"\n' \
    >"$work/cut-short"
chmod +x "$work/cut-short"
folder=$work/cut batch_size=1
across 1/loopback "$work/cut-short" "$bindir" 100000
check "cut short: non-zero exit status" failed_across
for scene in a0big a1big; do
    check "cut short: $scene named" \
        grep -q "^meshlift-batch: scenes/$scene.ASE: not converted: its batch.s results are broken" "$work/across.err"
done
check "cut short: no other message" reported 2
check "cut short: the other documents right" right_or_named \
    scenes/a0big.ASE scenes/a1big.ASE scenes/plane.ASE scenes/RotatingCube.ASE scenes/sample.ASE
check "cut short: no document of the long ones" test ! -e "$folder/scenes/a0big.xml" -a ! -e "$folder/scenes/a1big.xml"
check "cut short: nothing left behind here" nothing_left_here
rm -rf "$remote_home/$(cat "$work/spool")"-*

# --- The remote machine's disk full: Meshlift fails there (a small tmpfs as the remote
# work folder; where mounting is not allowed, a file size limit of 200 KB, which ends
# Meshlift by SIGXFSZ). The good document that was here stays as it was.
cp "$folder/scenes/a0big.ref" "$folder/scenes/a0big.xml"
cp "$folder/scenes/a0big.xml" "$folder/scenes/a0big.before"
if mkdir "$work/remote-disk" && mount -t tmpfs -o size=1200k tmpfs "$work/remote-disk" 2>/dev/null; then
    mounts+=("$work/remote-disk")
    across 1/loopback --wd "$work/remote-disk" "$bindir/meshlift-batch" convert
else
    echo "across machines: no tmpfs may be mounted here: the remote's full disk is a file size limit"
    printf '#!/bin/sh\n# convert, its files at most 200 KB: BINDIR BATCH\nulimit -f 400\nexec "$1/meshlift-batch" convert "$2"\n' \
        >"$work/limited"
    chmod +x "$work/limited"
    across 1/loopback "$work/limited" "$bindir"
fi
check "remote disk full: non-zero exit status" failed_across
check "remote disk full: the failed scene named" \
    grep -q -E '^meshlift-batch: scenes/a0big.ASE: Meshlift exited with [0-9]+ \(on ' "$work/across.err"
check "remote disk full: the good document kept, the others right" right_or_named \
    scenes/a0big.ASE scenes/plane.ASE scenes/RotatingCube.ASE scenes/sample.ASE
rm -f "$folder/scenes/a0big.before"
[ ${#mounts[@]} -eq 0 ] || { umount "$work/remote-disk" && mounts=(); }

# --- This machine's disk full: the scenes' folder on a small tmpfs, where the batches'
# results do not go; the large scenes' documents do not fit, and only they are named,
# once each. Without a tmpfs, this case is left out.
if mkdir "$work/full" && mkdir "$work/full/scenes" &&
    mount -t tmpfs -o size=2300k tmpfs "$work/full/scenes" 2>/dev/null; then
    mounts+=("$work/full/scenes")
    for name in a0big plane RotatingCube sample; do cp "$work/cut/scenes/$name".{ASE,ref} "$work/full/scenes/"; done
    # About 100 KB left: room for the small documents, not for the large one's 290 KB.
    head -c $(($(df -B1 --output=avail "$work/full/scenes" | tail -n 1) - 100000)) /dev/zero \
        >"$work/full/scenes/filler" || true
    folder=$work/full batch_size=100000000
    across 1/:,1/loopback "$bindir/meshlift-batch" convert
    check "disk full here: non-zero exit status" failed_across
    check "disk full here: the document that does not fit named" \
        grep -q '^meshlift-batch: scenes/a0big.ASE: cannot write scenes/a0big.xml: No space left' "$work/across.err"
    check "disk full here: one message" reported 1
    check "disk full here: the others right" right_or_named \
        scenes/a0big.ASE scenes/plane.ASE scenes/RotatingCube.ASE scenes/sample.ASE
    check "disk full here: nothing left behind" nothing_left_here
    umount "$work/full/scenes" && mounts=()
else
    echo "across machines: no tmpfs may be mounted here: this machine's full disk is left out"
fi

# --- Names: a scene that is a link into another folder (linked as the file it names);
# a name of 250 bytes; a listed scene named .xml (its own document); two scenes that
# write one document; a FIFO and a folder named as scenes; a document name taken by a
# link to a file elsewhere (replaced, the file not written), and the temporary names of
# the earlier version planted as links.
mkdir -p "$work/names/scenes" "$work/names/elsewhere"
cd "$work/names"
cp "$root/examples/sample.ASE" elsewhere/real.ASE
ln -s ../elsewhere/real.ASE scenes/linked.ASE
long=$(printf 'n%.0s' $(seq 246))
cp "$root/tests/data/plane.ASE" "scenes/$long.ASE"
cp "$root/tests/data/plane.ASE" scenes/own.xml
cp "$root/tests/data/plane.ASE" scenes/dup.ASE
cp "$root/tests/data/RotatingCube.ASE" scenes/dup.ase
mkfifo scenes/fifo.ASE
mkdir scenes/folder.ASE
cp "$root/tests/data/anim2.ASE" scenes/target.ASE
echo 'not to be touched' >elsewhere/victim
ln -s ../elsewhere/victim scenes/target.xml
ln -s ../elsewhere/victim "scenes/target.xml.meshlift-batch-$$"
cd "$work"
reference "$work/names/elsewhere/real.ASE" "$work/names/scenes/$long.ASE" "$work/names/scenes/dup.ASE" \
    "$work/names/scenes/target.ASE"
cp "$work/names/scenes/own.xml" "$work/names/scenes/own.before"
cp "$work/names/elsewhere/real.ref" "$work/names/scenes/linked.ref"
list_scenes() {
    printf '%s\0' scenes/linked.ASE "scenes/$long.ASE" scenes/own.xml scenes/dup.ASE scenes/dup.ase \
        scenes/fifo.ASE scenes/folder.ASE scenes/target.ASE
}
folder=$work/names batch_size=1
across 2/loopback "$bindir/meshlift-batch" convert
check "names: non-zero exit status" failed_across
check "names: linked, long and listed twice: documents right" right_or_named \
    scenes/linked.ASE "scenes/$long.ASE" scenes/dup.ASE scenes/target.ASE
check "names: the link is the file it names" grep -q -F '<' "$folder/scenes/linked.xml"
check "names: the scene named .xml kept" cmp -s "$folder/scenes/own.xml" "$folder/scenes/own.before"
check "names: the scene named .xml named" \
    grep -q '^meshlift-batch: scenes/own.xml: not converted: it would be its own document' "$work/across.err"
check "names: two scenes of one document named" \
    grep -q '^meshlift-batch: scenes/dup.ase: not converted: its document scenes/dup.xml is also that of scenes/dup.ASE' \
    "$work/across.err"
check "names: FIFO named, not waited on" \
    grep -q '^meshlift-batch: scenes/fifo.ASE: cannot be read: not a regular file' "$work/across.err"
check "names: folder named" \
    grep -q '^meshlift-batch: scenes/folder.ASE: cannot be read: not a regular file' "$work/across.err"
check "names: no other message" reported 4
check "names: the file a document's link named not written" \
    grep -q -x 'not to be touched' "$folder/elsewhere/victim"
check "names: the document replaced its link" test -f "$folder/scenes/target.xml" -a ! -L "$folder/scenes/target.xml"
check "names: nothing left behind here" nothing_left_here
rm -rf "$remote_home/$(cat "$work/spool")"-*

# --- pack failing: a size it does not take (the run names it and fails), and a batch
# name already in use (passed over, and not touched).
folder=$work/cut batch_size=1
pack_options=(--size 64M)
list_scenes() { printf '%s\0' scenes/plane.ASE scenes/sample.ASE; }
across 1/:,1/loopback "$bindir/meshlift-batch" convert
pack_options=()
check "pack refusing its options: non-zero exit status" failed_across
check "pack refusing its options: named" grep -q 'pack made no list of scenes' "$work/across.err"
check "pack refusing its options: nothing left behind" nothing_left_here
rm -f "$folder"/scenes/*.xml
spool_name=meshlift-spool.taken
mkdir "$folder/$spool_name-000002"
echo 'not to be touched' >"$folder/$spool_name-000002/keep"
across 1/:,1/loopback "$bindir/meshlift-batch" convert
check "a batch name in use: every document" right_or_named scenes/plane.ASE scenes/sample.ASE
check "a batch name in use: exit status 0" succeeded_across
check "a batch name in use: its folder kept" grep -q -x 'not to be touched' "$folder/$spool_name-000002/keep"
rm -rf "${folder:?}/$spool_name-000002"

# --- Two runs with one spool: the first waits in its conversions until the second has
# ended; the second fails without touching the first's batches, and the first ends
# with every document.
cat >"$work/waiting" <<'EOF'
#!/bin/sh
# A `convert` that waits for the file GO (at most a minute): GO BINDIR BATCH
for _ in $(seq 600); do [ -e "$1" ] && break; sleep 0.1; done
exec "$2/meshlift-batch" convert "$3"
EOF
chmod +x "$work/waiting"
rm -f "$folder"/scenes/*.xml "$work/go"
list_scenes() { printf '%s\0' scenes/plane.ASE scenes/sample.ASE scenes/RotatingCube.ASE; }
(across 1/:,1/loopback "$work/waiting" "$work/go" "$bindir" && cp "$work/across.err" "$work/first.err" &&
    echo "$across_status" >"$work/first.status") &
first=$!
first_under_way() { [ -e "$folder/$spool_name/unpack" ] && [ -e "$folder/$spool_name-000003" ]; }
for _ in $(seq 300); do first_under_way && break; sleep 0.1; done
check "one spool twice: the first run under way" first_under_way
second_status=0
(cd "$folder" && set -o pipefail && list_scenes | "$bindir/meshlift-batch" pack --size 1 "$spool_name" |
    timeout 60 parallel -0 -S 1/: --results "$spool_name"/{/} --files "$bindir/meshlift-batch" convert {} |
    timeout 60 "$bindir/meshlift-batch" unpack "$spool_name") >/dev/null 2>"$work/second.err" || second_status=$?
batches_kept() { [ -d "$folder/$spool_name-000001" ] && [ -d "$folder/$spool_name-000003" ]; }
check "one spool twice: the second run's batches are none of the first's" batches_kept
second_failed() { [ "$second_status" -ne 0 ]; }
check "one spool twice: the second run fails" second_failed
check "one spool twice: the second run says why" grep -q 'is in use by another run' "$work/second.err"
touch "$work/go"
wait "$first"
first_succeeded() { [ "$(cat "$work/first.status")" = 0 ] && [ ! -s "$work/first.err" ]; }
check "one spool twice: the first run succeeds" first_succeeded
check "one spool twice: the first run's documents" right_or_named \
    scenes/plane.ASE scenes/sample.ASE scenes/RotatingCube.ASE
check "one spool twice: nothing left behind" nothing_left_here
unset spool_name

# --- Ctrl-C while batches wait here and there: no batch is left here, the run fails,
# and says how the other machine's copies go.
rm -f "$folder"/scenes/*.xml "$work/go" "$work/spool"
# (A background job ignores SIGINT; perl lets the job take it again, as at a terminal.)
setsid perl -e '$SIG{INT} = "DEFAULT"; exec @ARGV or die' bash -c "$(declare -f across list_scenes); $(declare -p folder work bindir ssh_command batch_size pack_options); "'
    across 1/:,1/loopback "$0/waiting" "$0/go" "$1"; echo $across_status >"$0/interrupted.status"' \
    "$work" "$bindir" &
interrupted=$!
copied_there() { # a batch copied to the other machine
    [ -s "$work/spool" ] && compgen -G "$remote_home/$(cat "$work/spool")-00000[0-9]/manifest" >/dev/null
}
for _ in $(seq 300); do copied_there && break; sleep 0.1; done
check "Ctrl-C: a batch under way there" copied_there
sleep 0.2
kill -INT -- -"$interrupted"
wait "$interrupted" || true
touch "$work/go"
interrupted_failed() { [ -s "$work/interrupted.status" ] && [ "$(cat "$work/interrupted.status")" != 0 ]; }
check "Ctrl-C: non-zero exit status" interrupted_failed
check "Ctrl-C: no batch left here" nothing_left_here
check "Ctrl-C: the other machine's copies named" grep -q -F "ssh HOST \"rm -rf -- '$(cat "$work/spool")-'*\"" "$work/across.err"
rm -rf "$remote_home/$(cat "$work/spool")"-*

echo "across machines: $passed passed, 0 failed ($scene_count scenes, sshd on 127.0.0.1:$loopback_port)"
