# Install rules and the packages: `cmake --install` puts the program in bin/ and its
# manual page in share/man/man1/; `cpack -G DEB` in the build tree makes one package
# per install component: meshlift_*.deb (component `meshlift`: the program, its manual
# page, bash completion) and libmeshlift-dev_*.deb (component `dev`: the library). For
# Windows, `cpack` makes Meshlift-<version>-win64.zip with the program, the README and
# the manual as text (packaging_windows.cmake).

if(WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/packaging_windows.cmake)
    return()
endif()

include(GNUInstallDirs)

set(MESHLIFT_MAN_PAGE "${PROJECT_SOURCE_DIR}/doc/Meshlift.1")
set(MESHLIFT_DEBIAN_DIR "${PROJECT_SOURCE_DIR}/packaging/debian")
set(MESHLIFT_LINKS_DIR "${PROJECT_BINARY_DIR}/packaging")

# The manual page is written by hand; a release that forgets it would ship a page
# naming the previous version.
file(STRINGS "${MESHLIFT_MAN_PAGE}" meshlift_man_title REGEX "^\\.TH ")
if(NOT meshlift_man_title MATCHES "\"Meshlift ${PROJECT_VERSION}\"")
    message(WARNING "doc/Meshlift.1 does not name version ${PROJECT_VERSION} in its .TH line")
endif()

# Users type commands in lower case; `meshlift` is a link to the program, with a link
# to its manual page and its completion beside.
file(MAKE_DIRECTORY "${MESHLIFT_LINKS_DIR}")
file(CREATE_LINK Meshlift "${MESHLIFT_LINKS_DIR}/meshlift" SYMBOLIC)
file(CREATE_LINK Meshlift.1 "${MESHLIFT_LINKS_DIR}/meshlift.1" SYMBOLIC)
file(CREATE_LINK meshlift "${MESHLIFT_LINKS_DIR}/Meshlift" SYMBOLIC)

install(TARGETS Meshlift RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}" COMPONENT meshlift)
install(FILES "${MESHLIFT_LINKS_DIR}/meshlift" DESTINATION "${CMAKE_INSTALL_BINDIR}"
        COMPONENT meshlift)
install(FILES "${MESHLIFT_MAN_PAGE}" "${MESHLIFT_LINKS_DIR}/meshlift.1"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1" COMPONENT meshlift)
# Folders converted in batches on other machines, through GNU parallel over ssh: the
# script goes beside the program, where it looks for it first.
install(PROGRAMS "${PROJECT_SOURCE_DIR}/scripts/meshlift-batch" DESTINATION "${CMAKE_INSTALL_BINDIR}"
        COMPONENT meshlift)
install(FILES "${PROJECT_SOURCE_DIR}/doc/meshlift-batch.1" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1"
        COMPONENT meshlift)
# bash-completion loads a command's completion from the file named after it.
install(FILES "${PROJECT_SOURCE_DIR}/packaging/bash-completion/meshlift" "${MESHLIFT_LINKS_DIR}/Meshlift"
        DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions" COMPONENT meshlift)
install(FILES "${PROJECT_SOURCE_DIR}/README.md" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/meshlift"
        COMPONENT meshlift)
# The pages the README links to, in the same place relative to it.
file(GLOB meshlift_doc_pages "${PROJECT_SOURCE_DIR}/doc/*.md" "${PROJECT_SOURCE_DIR}/doc/*.png")
install(FILES ${meshlift_doc_pages} DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/meshlift/doc"
        COMPONENT meshlift)

# Each package carries the licence as a machine-readable copyright file and the
# packaging changelog, gzipped without a time stamp so that builds are reproducible.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
file(STRINGS "${MESHLIFT_DEBIAN_DIR}/changelog" meshlift_changelog_top LIMIT_COUNT 1)
if(NOT meshlift_changelog_top MATCHES "^meshlift \\(${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}\\) ")
    message(WARNING "packaging/debian/changelog does not begin with version "
                    "${PROJECT_VERSION}-${CPACK_DEBIAN_PACKAGE_RELEASE}")
endif()
execute_process(COMMAND gzip -9nc "${MESHLIFT_DEBIAN_DIR}/changelog"
                OUTPUT_FILE "${MESHLIFT_LINKS_DIR}/changelog.Debian.gz" RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "gzip failed on packaging/debian/changelog")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${MESHLIFT_DEBIAN_DIR}/changelog")
function(meshlift_install_package_docs component package)
    install(FILES "${MESHLIFT_DEBIAN_DIR}/copyright" "${MESHLIFT_LINKS_DIR}/changelog.Debian.gz"
            DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/doc/${package}" COMPONENT ${component})
endfunction()
meshlift_install_package_docs(meshlift meshlift)
meshlift_install_package_docs(dev libmeshlift-dev)

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
    "PNG picture from the document's own camera, and meshlift-batch converts"
    "a folder of scenes in batches on several machines with GNU parallel.")
set(CPACK_STRIP_FILES ON)
# Each Debian package's description begins with its own summary line.
set(CPACK_PROJECT_CONFIG_FILE "${CMAKE_CURRENT_LIST_DIR}/cpack_project_config.cmake")

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_PACKAGE_NAME meshlift)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${CPACK_PACKAGE_CONTACT}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# Debian keeps manual pages gzip-compressed; the install tree keeps the plain page.
# Before and after the packages are built, cpack says where their dependencies come
# from and what they are.
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/compress_man_pages.cmake"
                            "${CMAKE_CURRENT_LIST_DIR}/debian_dependencies.cmake")
set(CPACK_POST_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/debian_dependencies.cmake")

set(CPACK_DEBIAN_MESHLIFT_PACKAGE_NAME meshlift)
# meshlift-batch spreads its batches with GNU parallel over ssh, copied with rsync.
set(CPACK_DEBIAN_MESHLIFT_PACKAGE_SUGGESTS "parallel, openssh-client, rsync")
set(CPACK_DEBIAN_MESHLIFT_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\n${CPACK_PACKAGE_DESCRIPTION}")

set(CPACK_DEBIAN_DEV_PACKAGE_NAME libmeshlift-dev)
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
string(JOIN "\n" CPACK_DEBIAN_DEV_DESCRIPTION
    "library to convert the meshes of ASE scenes into XML scene documents"
    "The Meshlift conversion as a static C++ library: it converts an ASE scene"
    "(ASCII scene export) from a file, a buffer or a file descriptor into an"
    "XML scene document, byte for byte as the meshlift program does, writing"
    "the document to a file or handing each line to a callback."
    "."
    "This package holds the header, the static library, the CMake package"
    "(find_package(Meshlift CONFIG)) and the pkg-config file.")

include(CPack)
