#!/usr/bin/env bash
# The Windows zip holds the programs, and what it holds to be read in Notepad is plain
# text with CR LF line ends, without the overstriking or escape sequences of a
# terminal's rendering.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
need_commands unzip
version=$(sed -n 's/^project(Meshlift VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
zip=build/windows/Meshlift-$version-win64.zip
need_file "$zip" "cmake --workflow --preset package-windows"
unzip -q -o "$zip" -d "$scratch/zip"
folder=$scratch/zip/Meshlift-$version-win64
windows_text() { # FILE
    [ -s "$1" ] && ! grep -q $'[\b\e]' "$1" && ! grep -q -v $'\r$' "$1"
}
check "windows zip manual" windows_text "$folder/Meshlift.txt"
check "windows zip licence" windows_text "$folder/LICENSE"
check "windows zip preview manual" windows_text "$folder/meshlift-preview.txt"
check "windows zip holds the program" test -f "$folder/Meshlift.exe"
check "windows zip holds the preview" test -f "$folder/meshlift-preview.exe"
finish
