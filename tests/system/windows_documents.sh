#!/usr/bin/env bash
# Every scene gives the same document on Linux (this build) and under Wine (the Windows
# build), the same exit code, and the same console lines but for their CR LF line ends.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
need_file build/windows/Meshlift.exe "cmake --workflow --preset test-windows"
start_wine
same_on_windows() { # SCENE MODE
    local linux=0 windows=0
    "$MESHLIFT" "$1" "$scratch/linux.xml" "$2" >"$scratch/linux.out" || linux=$?
    wine build/windows/Meshlift.exe "$1" "Z:$scratch/windows.xml" "$2" \
        >"$scratch/windows.out" </dev/null || windows=$?
    [ "$linux" = "$windows" ] && cmp -s "$scratch/linux.xml" "$scratch/windows.xml" &&
        ! grep -q $'[^\r]$' "$scratch/windows.out" &&
        sed 's/\r$//' "$scratch/windows.out" | cmp -s - "$scratch/linux.out"
}
for scene in "${scenes[@]}"; do
    for mode in tri quad; do
        check "same on Windows: $scene $mode" same_on_windows "$scene" "$mode"
    done
done
finish
