#!/usr/bin/env bash
# The installed library as a user gets it: a consumer built outside the tree, once
# through find_package and once through pkg-config, converts the sample from its path
# and from memory, and both documents and the console equal this build's program's.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
need_commands pkg-config g++
install_package_tree
prefix=$scratch/prefix

consumer=$scratch/consumer
cp -r tests/consumer "$consumer"
"${CMAKE:-cmake}" -S "$consumer" -B "$consumer/build" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
"${CMAKE:-cmake}" --build "$consumer/build" >/dev/null
pc_dir=$(dirname "$(find "$prefix" -name meshlift.pc)")
# shellcheck disable=SC2046 # pkg-config's flags are separate words
g++ -std=c++20 -o "$consumer/consumer-pc" "$consumer/consumer.cpp" \
    $(PKG_CONFIG_PATH=$pc_dir pkg-config --cflags --libs meshlift)

sample=$PWD/examples/sample.ASE
converts_like_program() { # CONSUMER MODE
    (cd "$scratch" && "$1" "$sample" "$2" path.xml buffer.xml >consumer.out)
    "$MESHLIFT" "$sample" "$scratch/want.xml" "$2" >"$scratch/want.out"
    cmp "$scratch/path.xml" "$scratch/want.xml" && cmp "$scratch/buffer.xml" "$scratch/want.xml" &&
        cmp "$scratch/consumer.out" <(cat "$scratch/want.out" "$scratch/want.out")
}
for mode in tri quad; do
    check "find_package consumer, $mode" converts_like_program "$consumer/build/consumer" $mode
    check "pkg-config consumer, $mode" converts_like_program "$consumer/consumer-pc" $mode
done
finish
