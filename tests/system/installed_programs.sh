#!/usr/bin/env bash
# The package tree installed into a scratch prefix: its program converts like this
# build's, its preview draws, and every manual page renders without a warning.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
need_commands groff man
install_package_tree
prefix=$scratch/prefix

check "installed tri conversion" same_conversion "$prefix/bin/Meshlift" tri
check "installed quad conversion" same_conversion "$prefix/bin/Meshlift" quad
check "installed preview" preview_draws "$prefix/bin/meshlift-preview"
for page in Meshlift meshlift-preview meshlift-batch; do
    check "installed $page manual page" quiet_render "$prefix/share/man/man1/$page.1"
done
finish
