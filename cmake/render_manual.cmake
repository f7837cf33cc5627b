# Renders a manual page as plain text for the Windows zip, to be read in Notepad:
#   cmake -DGROFF=... -DPAGE=doc/Meshlift.1 -DOUTPUT=Meshlift.txt -P render_manual.cmake
# grotty writes no escape sequences in its legacy format (-c), and no overstriking
# either: not for bold (-b), underlining (-u), nor composed characters such as the
# bullet (-o). The text is UTF-8 (the pages use ×, θ and bullets), begun with a byte
# order mark so that every Notepad reads it as UTF-8, and its lines end in CR LF.
execute_process(COMMAND "${GROFF}" -man -Tutf8 -P-cbou "${PAGE}"
                OUTPUT_VARIABLE text ERROR_VARIABLE warnings RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "groff could not render ${PAGE}: ${warnings}")
endif()
if(warnings)
    message(WARNING "groff, rendering ${PAGE}: ${warnings}")
endif()
string(ASCII 8 backspace)
string(ASCII 27 escape)
string(FIND "${text}" "${backspace}" overstrike)
string(FIND "${text}" "${escape}" sequence)
if(NOT overstrike EQUAL -1 OR NOT sequence EQUAL -1)
    message(FATAL_ERROR "groff left overstriking or escape sequences in the text of ${PAGE}")
endif()
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 byte_order_mark)
file(WRITE "${OUTPUT}" "${byte_order_mark}${text}")
