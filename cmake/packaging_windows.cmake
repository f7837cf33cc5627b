# The Windows zip: Meshlift.exe (linked statically, so it needs only the DLLs that
# come with Windows), README.md and the manual page rendered as Meshlift.txt.

install(TARGETS Meshlift RUNTIME DESTINATION . COMPONENT meshlift)
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION . COMPONENT meshlift)

find_program(MESHLIFT_GROFF groff)
if(MESHLIFT_GROFF)
    set(manual_text "${PROJECT_BINARY_DIR}/Meshlift.txt")
    add_custom_command(
        OUTPUT "${manual_text}"
        COMMAND "${CMAKE_COMMAND}" -DGROFF=${MESHLIFT_GROFF}
                -DPAGE=${PROJECT_SOURCE_DIR}/doc/Meshlift.1 -DOUTPUT=${manual_text}
                -P "${CMAKE_CURRENT_LIST_DIR}/render_manual.cmake"
        DEPENDS "${PROJECT_SOURCE_DIR}/doc/Meshlift.1" "${CMAKE_CURRENT_LIST_DIR}/render_manual.cmake"
        VERBATIM)
    add_custom_target(manual_text ALL DEPENDS "${manual_text}")
    install(FILES "${manual_text}" DESTINATION . COMPONENT meshlift)
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
