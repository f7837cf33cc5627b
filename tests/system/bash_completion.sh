#!/usr/bin/env bash
# The packaged bash completion parses, and the third word completes to the mode.
# shellcheck source=tests/system/common.sh
source "$(dirname "$0")/common.sh"
completion=packaging/bash-completion/meshlift
complete_mode() { # WORD: the completions of WORD as the third argument, one a line
    bash -c 'source "$1"; COMP_WORDS=(meshlift in.ASE out.xml "$2"); COMP_CWORD=3
             _meshlift; printf "%s\n" "${COMPREPLY[@]}"' _ "$completion" "$1"
}
check "completion syntax" bash -n "$completion"
check "completion of the mode" test "$(complete_mode q)" = quad
finish
