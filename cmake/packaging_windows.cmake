# The Windows zip: Meshlift.exe (linked statically, so it needs only the DLLs that
# come with Windows), README.md and the pages it links to, the licence, and each
# program's manual page rendered as text: Meshlift.txt, and meshlift-preview.txt where
# the preview is built.

install(TARGETS Meshlift RUNTIME DESTINATION . COMPONENT meshlift)
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION . COMPONENT meshlift)
file(GLOB meshlift_doc_pages "${PROJECT_SOURCE_DIR}/doc/*.md" "${PROJECT_SOURCE_DIR}/doc/*.png")
install(FILES ${meshlift_doc_pages} DESTINATION doc COMPONENT meshlift)

# The licence with Windows line ends, under its own name.
file(READ "${PROJECT_SOURCE_DIR}/LICENSE" meshlift_licence)
string(REPLACE "\r\n" "\n" meshlift_licence "${meshlift_licence}")
string(REPLACE "\n" "\r\n" meshlift_licence "${meshlift_licence}")
file(WRITE "${PROJECT_BINARY_DIR}/zip/LICENSE" "${meshlift_licence}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/LICENSE")
install(FILES "${PROJECT_BINARY_DIR}/zip/LICENSE" DESTINATION . COMPONENT meshlift)

find_program(MESHLIFT_GROFF groff)
if(MESHLIFT_GROFF)
    set(manual_texts)
    foreach(program IN ITEMS Meshlift meshlift-preview)
        set(page "${PROJECT_SOURCE_DIR}/doc/${program}.1")
        set(text "${PROJECT_BINARY_DIR}/zip/${program}.txt")
        add_custom_command(
            OUTPUT "${text}"
            COMMAND "${CMAKE_COMMAND}" -DGROFF=${MESHLIFT_GROFF} -DPAGE=${page} -DOUTPUT=${text}
                    -P "${CMAKE_CURRENT_LIST_DIR}/render_manual.cmake"
            DEPENDS "${page}" "${CMAKE_CURRENT_LIST_DIR}/render_manual.cmake"
            VERBATIM)
        list(APPEND manual_texts "${text}")
        # A page goes into the zip with its program: the target's existence is known
        # once every directory has been read, whichever comes first.
        install(FILES "$<$<TARGET_EXISTS:${program}>:${text}>" DESTINATION . COMPONENT meshlift)
    endforeach()
    add_custom_target(manual_text ALL DEPENDS ${manual_texts})
else()
    message(WARNING "groff not found: the Windows zip will have no manual")
endif()

set(CPACK_PACKAGE_NAME Meshlift)
set(CPACK_PACKAGE_VENDOR "Meshlift developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert the meshes of ASE scenes into XML scene documents")
set(CPACK_GENERATOR ZIP)
# The program's component alone: the library's files (component `dev`) are for the
# POSIX packages.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};${PROJECT_NAME};meshlift;/")
set(CPACK_PACKAGE_FILE_NAME "Meshlift-${PROJECT_VERSION}-win64")
set(CPACK_STRIP_FILES ON)

include(CPack)
