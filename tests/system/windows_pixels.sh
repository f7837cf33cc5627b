#!/usr/bin/env bash
# meshlift-preview.exe under Wine draws every scene's document with the same pixels,
# exit code and report (but for its CR LF line ends) as this build's preview, also
# fitted.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
need_commands python3
[ -n "$MESHLIFT_PREVIEW" ] || skip "this build has no meshlift-preview: zlib was not found"
need_file build/windows/meshlift-preview.exe "cmake --workflow --preset test-windows"
start_wine
windows_preview() { # DOCUMENT PICTURE [--fit]: its report in LF lines
    wine build/windows/meshlift-preview.exe "$1" "Z:$2" "${@:3}" </dev/null | sed 's/\r$//'
    return "${PIPESTATUS[0]}"
}
convert_scenes
for scene in "${scenes[@]}"; do
    for fit in "" --fit; do
        check "same pixels on Windows: $scene $fit" same_pictures "$MESHLIFT_PREVIEW" \
            windows_preview "$scratch/documents/$(basename "$scene").xml" $fit
    done
done
finish
