#!/usr/bin/env bash
# tree.sh PRESET [TARGET...]: brings the build tree of a configure preset up to date
# for the checks that compare it with this build: configures it, builds it (TARGETs
# only, if named), and makes its package where the preset has one. Where the preset's
# workflow has just built it (CI), only the package is made again. Missing tools
# skip the tree, and the checks that need it then skip in turn.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
preset=$1
shift
case $preset in
libcxx)
    need_commands clang++
    compgen -G "/usr/lib/llvm-*/include/c++/v1/cxxabi.h" >/dev/null ||
        skip "libc++ is not installed (Debian: libc++-dev, libc++abi-dev)"
    ;;
fuzz)
    need_commands clang++
    compgen -G "/usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a" >/dev/null ||
        skip "libFuzzer's runtime is not installed (Debian: libclang-rt-dev)"
    ;;
package) need_commands dpkg-shlibdeps file ;;
windows)
    need_commands x86_64-w64-mingw32-g++-posix
    [ -e /usr/src/googletest/CMakeLists.txt ] || skip "GoogleTest's sources are not installed (Debian: googletest)"
    ;;
esac

cmake=${CMAKE:-cmake}
# Seconds for a tree already there, whose cache the preset may have changed since.
"$cmake" --preset "$preset"
targets=()
for target; do targets+=(--target "$target"); done
"$cmake" --build --preset "$preset" "${targets[@]}"
case $preset in
package)
    rm -f build/package/*.deb # a package of an earlier version must not be checked
    "${CPACK:-cpack}" --preset package
    ;;
windows)
    rm -f build/windows/Meshlift-*-win64.zip
    "${CPACK:-cpack}" --preset windows
    ;;
esac
