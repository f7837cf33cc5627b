#!/usr/bin/env bash
# Both packages pass lintian without an error (its warnings are shown, not fatal).
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
need_commands lintian
packages=(build/package/meshlift_*.deb build/package/libmeshlift-dev_*.deb)
for package in "${packages[@]}"; do
    need_file "$package" "cmake --workflow --preset package"
done
for package in "${packages[@]}"; do
    check "lintian $(basename "$package")" lintian --fail-on error "$package"
done
finish
