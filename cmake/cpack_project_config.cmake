# Read by cpack before it builds packages. With one Debian package per component, the
# generator would put the common summary before every package's description; each
# component's description begins with its own summary instead.
if(CPACK_GENERATOR STREQUAL "DEB" AND CPACK_COMPONENTS_ALL)
    set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
endif()
