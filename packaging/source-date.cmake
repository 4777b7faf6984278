# Read by cpack before it packs: every file in the package, and the package's own parts, carry
# the time of the last commit, or outside git the release date, never the time of the build,
# so that one commit packed twice gives the same bytes. SOURCE_DATE_EPOCH, when set, wins.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    execute_process(COMMAND git -C ${CPACK_VANTREL_SOURCE_DIR} log -1 --format=%ct
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT epoch MATCHES "^[0-9]+$")
        execute_process(COMMAND date -u -d ${CPACK_VANTREL_RELEASE_DATE} +%s
            OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
