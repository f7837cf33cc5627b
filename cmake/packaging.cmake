# Install rules and the Debian package: `cmake --install` puts the program in bin/ and
# its manual page in share/man/man1/; `cpack -G DEB` in the build tree makes meshlift_*.deb.

include(GNUInstallDirs)

set(MESHLIFT_MAN_PAGE "${PROJECT_SOURCE_DIR}/doc/Meshlift.1")

# The manual page is written by hand; a release that forgets it would ship a page
# naming the previous version.
file(STRINGS "${MESHLIFT_MAN_PAGE}" meshlift_man_title REGEX "^\\.TH ")
if(NOT meshlift_man_title MATCHES "\"Meshlift ${PROJECT_VERSION}\"")
    message(WARNING "doc/Meshlift.1 does not name version ${PROJECT_VERSION} in its .TH line")
endif()

install(TARGETS Meshlift RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES "${MESHLIFT_MAN_PAGE}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/meshlift")

set(CPACK_PACKAGE_NAME meshlift)
set(CPACK_PACKAGE_VENDOR "Meshlift developers")
set(CPACK_PACKAGE_CONTACT "Meshlift developers <meshlift@example.org>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "convert the meshes of ASE scenes into XML scene documents")
# dpkg shows the description as it stands, so its lines are kept short here.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Meshlift reads a scene in the ASE format (ASCII scene export) and writes"
    "an XML scene document with one object element per geometric object: its"
    "vertices as nodes and its faces as triangles, or as quads joined along"
    "the faces' visible edges. The scene is read as a stream, so large files"
    "convert in little memory. meshlift-preview draws a scene document as a"
    "PNG picture from the document's own camera.")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME meshlift)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Debian keeps manual pages gzip-compressed; the install tree keeps the plain page.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/compress_man_pages.cmake")

include(CPack)
