# shellcheck shell=bash
# What the checks across build trees share; each check script sources this file.
# A check script runs from the source folder (CTest's WORKING_DIRECTORY) and is told
# this build's programs, the reference every other tree is compared with, through
# MESHLIFT and MESHLIFT_PREVIEW. It exits with 77, which CTest reports as skipped,
# when a tool or a tree that it needs is missing, and says which.
set -euo pipefail

skip() { # REASON...
    echo "skipped: $*"
    exit 77
}
need_commands() { # COMMAND...: skips unless every one is installed
    local command
    for command; do
        command -v "$command" >/dev/null || skip "$command is not installed"
    done
}
need_file() { # FILE HOW: skips unless FILE exists; HOW says how to make it
    [ -e "$1" ] || skip "$1 is missing ($2)"
}

: "${MESHLIFT:?must name the Meshlift of the build under test (CTest sets it)}"
need_file "$MESHLIFT" "build this tree first"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Every check runs, so that one run names every fault; the script fails if one did.
passed=0
failed=0
check() { # NAME COMMAND...
    if "${@:2}"; then
        passed=$((passed + 1))
    else
        echo "failed: $1"
        failed=$((failed + 1))
    fi
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" = 0 ]
}

# The scenes that the programs are compared on: the sample, the tests' scenes, and the
# shared corpus beside the checkout where there is one.
scenes=()
for scene in examples/sample.ASE tests/data/*.[Aa][Ss][Ee] ../shared/corpus/ase/*; do
    if [ -f "$scene" ]; then scenes+=("$scene"); fi
done

same_conversion() { # MESHLIFT MODE: converts the sample like this build's program
    "$1" examples/sample.ASE "$scratch/got.xml" "$2" >"$scratch/got.out"
    "$MESHLIFT" examples/sample.ASE "$scratch/want.xml" "$2" >"$scratch/want.out"
    cmp "$scratch/got.xml" "$scratch/want.xml" && cmp "$scratch/got.out" "$scratch/want.out"
}

# The sample as converted by same_conversion's program, drawn into a PNG.
preview_draws() { # PREVIEW
    rm -f "$scratch/sample.png"
    "$1" "$scratch/got.xml" "$scratch/sample.png" >/dev/null && [ -s "$scratch/sample.png" ]
}

# A manual page, installed or packaged (gzipped): groff's lint and man's rendering
# both print nothing on stderr.
quiet_render() { # PAGE
    local warnings
    warnings=$({ zcat -f "$1" | groff -ww -z -man; MANWIDTH=80 man -l "$1" >/dev/null; } 2>&1) || return 1
    [ -z "$warnings" ] || { printf '%s\n' "$warnings"; return 1; }
}

# Draws DOCUMENT with both previews: exit codes, reports and pixels equal. A preview
# may be a shell function (the Windows one runs under Wine).
same_pictures() { # PREVIEW_A PREVIEW_B DOCUMENT [--fit]
    local a=0 b=0
    "$1" "$3" "$scratch/a.png" "${@:4}" >"$scratch/a.report" || a=$?
    "$2" "$3" "$scratch/b.png" "${@:4}" >"$scratch/b.report" || b=$?
    [ "$a" = "$b" ] && cmp -s "$scratch/a.report" "$scratch/b.report" &&
        { [ "$a" != 0 ] || python3 tests/same_pixels.py "$scratch/a.png" "$scratch/b.png"; }
}

# Every scene converted by this build's program, in $scratch/documents/NAME.xml; a
# scene that fails still leaves what it wrote, which the previews must agree on too.
convert_scenes() {
    local scene
    mkdir -p "$scratch/documents"
    for scene in "${scenes[@]}"; do
        "$MESHLIFT" "$scene" "$scratch/documents/$(basename "$scene").xml" >/dev/null || true
    done
}

# Installs the package tree (the program, its pages and the library) into
# $scratch/prefix, as `cmake --install` does for a user.
install_package_tree() {
    need_file build/package/CMakeCache.txt "cmake --workflow --preset package"
    "${CMAKE:-cmake}" --install build/package --prefix "$scratch/prefix" >/dev/null
}

# One Wine session for a check's runs under Wine, in the Windows tree's prefix: Wine's
# server runs persistently, its output away from the check's, and stops when the check
# ends. The checks that use it take CTest's lock `wine`, since they share the prefix.
start_wine() {
    need_commands wine wineserver
    export WINEPREFIX="$PWD/build/windows/wine-prefix" WINEDEBUG=-all LANG=C.UTF-8 LC_ALL=C.UTF-8
    trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$scratch"' EXIT
    mkdir -p "$WINEPREFIX" # Wine fills it on its first start, the server needs it there
    wineserver -p >/dev/null 2>&1
    wine cmd /c exit >/dev/null 2>&1 </dev/null
}
