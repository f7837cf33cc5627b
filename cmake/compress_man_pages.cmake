# Run by CPack on its staging tree before the packages are built: gzips every manual
# page with -n so that a package is the same whenever it is built. A page that is a
# link to another becomes a link to the other's compressed page.
file(GLOB_RECURSE files LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
list(FILTER files INCLUDE REGEX "/share/man/man[1-9]/[^/]+\\.[1-9]$")
foreach(page IN LISTS files)
    if(IS_SYMLINK "${page}")
        file(READ_SYMLINK "${page}" target)
        file(REMOVE "${page}")
        file(CREATE_LINK "${target}.gz" "${page}.gz" SYMBOLIC)
        continue()
    endif()
    execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "gzip failed on ${page}")
    endif()
endforeach()
