#!/usr/bin/env bash
# Every scene's document draws the same pixels with the compiler's vector loops (this
# build, GCC) and with their portable stand-in (the libc++ build), also fitted.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
need_commands python3
[ -n "$MESHLIFT_PREVIEW" ] || skip "this build has no meshlift-preview: zlib was not found"
portable=build/libcxx/meshlift-preview
need_file "$portable" "cmake --workflow --preset test-libcxx"
convert_scenes
for scene in "${scenes[@]}"; do
    for fit in "" --fit; do
        check "same pixels with portable loops: $scene $fit" same_pictures "$MESHLIFT_PREVIEW" \
            "$portable" "$scratch/documents/$(basename "$scene").xml" $fit
    done
done
finish
