# Installs the page test's npm packages (package.json, package-lock.json beside this
# file) into TARGET with `npm ci`, unless the installed lock file is the same already.
file(MAKE_DIRECTORY "${TARGET}")
if(EXISTS "${TARGET}/node_modules/.package-lock.json" AND EXISTS "${TARGET}/package-lock.json")
    file(SHA256 "${SOURCE}/package-lock.json" wanted)
    file(SHA256 "${TARGET}/package-lock.json" installed)
    if(wanted STREQUAL installed)
        return()
    endif()
endif()
file(COPY "${SOURCE}/package.json" "${SOURCE}/package-lock.json" DESTINATION "${TARGET}")
execute_process(COMMAND "${NPM}" ci --prefix "${TARGET}" --ignore-scripts --no-audit --no-fund
                        --loglevel=error
                RESULT_VARIABLE failed)
if(failed)
    message(FATAL_ERROR "npm ci of the page test's packages failed")
endif()
