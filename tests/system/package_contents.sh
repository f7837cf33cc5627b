#!/usr/bin/env bash
# The Debian package: its control fields, and its own contents unpacked and run: the
# program (also as the lower-case command) converts like this build's, the preview
# draws, and the manual pages render without a warning.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
need_commands dpkg-deb groff man
debs=(build/package/meshlift_*.deb)
need_file "${debs[0]}" "cmake --workflow --preset package"
deb=${debs[0]}
version=$(sed -n 's/^project(Meshlift VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
control_field() { dpkg-deb -f "$deb" "$1"; }

check "package name" test "$(control_field Package)" = meshlift
check "package version" test "$(control_field Version)" = "$version-1"
check "package dependencies" grep -q 'libc6' <<<"$(control_field Depends)"
check "package depends on zlib" grep -q 'zlib1g' <<<"$(control_field Depends)"
dpkg-deb -x "$deb" "$scratch/deb"
usr=$scratch/deb/usr
check "packaged conversion" same_conversion "$usr/bin/Meshlift" quad
check "packaged preview" preview_draws "$usr/bin/meshlift-preview"
check "packaged lower-case command" same_conversion "$usr/bin/meshlift" tri
for page in Meshlift meshlift-preview meshlift-batch; do
    check "packaged $page manual page" quiet_render "$usr/share/man/man1/$page.1.gz"
done
finish
