#!/usr/bin/env bash
# The libFuzzer programs (the `fuzz` preset: clang, ASan and UBSan) run once over their
# seeds without fuzzing: they keep building and no seed trips them.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
fuzzers=build/fuzz/fuzz
need_file "$fuzzers/convert_fuzzer" "cmake --workflow --preset fuzz"
need_file "$fuzzers/preview_fuzzer" "cmake --workflow --preset fuzz"
seeds=()
for dir in fuzz/regressions tests/data examples ../shared/corpus/ase; do
    if [ -d "$dir" ]; then seeds+=("$dir"); fi
done
check "converter's seeds" "$fuzzers/convert_fuzzer" -runs=0 "${seeds[@]}"
check "preview's seeds" "$fuzzers/preview_fuzzer" -runs=0 -dict=fuzz/preview.dict fuzz/preview_seeds
finish
