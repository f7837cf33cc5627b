# Renders the manual page as plain text with Windows line ends, for the Windows zip:
#   cmake -DGROFF=... -DPAGE=doc/Meshlift.1 -DOUTPUT=Meshlift.txt -P render_manual.cmake
execute_process(COMMAND "${GROFF}" -man -Tascii -P-c -P-b -P-u "${PAGE}"
                OUTPUT_VARIABLE text RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "groff could not render ${PAGE}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
