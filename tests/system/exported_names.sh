#!/usr/bin/env bash
# A shared build of the library (the `shared` preset) exports the API's functions and
# nothing else.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
need_commands nm c++filt
library=build/shared/src/library/libmeshlift.so
need_file "$library" "cmake --workflow --preset shared"
exported_names() { # LIBRARY: the names of the functions it exports, one a line
    # The C++11 string ABI tag of functions that return a std::string is no name of ours.
    nm -D --defined-only "$1" | c++filt |
        sed -E 's/^[0-9a-f]+ [A-Za-z] //; s/\(.*//; s/\[abi:[a-z0-9]+\]$//' | sort
}
api_names=$'meshlift::convertBuffer\nmeshlift::convertDescriptor\nmeshlift::convertFile
meshlift::convertReader\nmeshlift::fileProblemLine\nmeshlift::previewReportLines
meshlift::renderPreview\nmeshlift::renderPreviewBuffer\nmeshlift::renderPreviewFile'
check "shared library exports only the API" test "$(exported_names "$library")" = "$api_names"
finish
