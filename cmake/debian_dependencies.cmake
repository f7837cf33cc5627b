# Run by CPack before and after it builds the Debian packages, to say where each
# package's dependencies come from. dpkg-shlibdeps computes those of meshlift from its
# programs; libmeshlift-dev (a header, a static library, its CMake and pkg-config files)
# has none, and CPack's own note that CPACK_DEBIAN_PACKAGE_DEPENDS is not set, which
# names no package, is about that one alone.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()
if(NOT DEFINED CPACK_PACKAGE_FILES)
    message(STATUS "Depends of each package: meshlift's are computed by dpkg-shlibdeps; "
                   "libmeshlift-dev has none (the note below about "
                   "CPACK_DEBIAN_PACKAGE_DEPENDS is about libmeshlift-dev alone)")
    return()
endif()
find_program(MESHLIFT_DPKG_DEB dpkg-deb)
if(NOT MESHLIFT_DPKG_DEB)
    return()
endif()
foreach(package_file IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND "${MESHLIFT_DPKG_DEB}" -f "${package_file}" Depends
                    OUTPUT_VARIABLE depends OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "dpkg-deb cannot read ${package_file}")
    endif()
    get_filename_component(name "${package_file}" NAME)
    if(depends)
        message(STATUS "${name} depends on ${depends}")
    else()
        message(STATUS "${name} depends on nothing")
    endif()
endforeach()
