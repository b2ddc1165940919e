# What a build fixes into the launcher about its community, checked before
# anything is compiled: a wrong setting stops the build with its name, rather
# than making a launcher that fails on every player's machine.

# Writes <dir>/BuildConfig.h for a launcher that verifies signed updates with
# key (empty: none) and takes no signed document older than floor. Both are
# checked as the settings VEMOR_SIGNING_KEY and VEMOR_SIGNING_FLOOR; the main
# build and the scenarios' keyed launcher both come through here, so the
# tests build the way an admin does.
function(vemor_build_config dir key floor)
    string(STRIP "${key}" key)
    string(TOLOWER "${key}" VEMOR_SIGNING_KEY_HEX)
    # CMake's regular expressions have no {n} repetition: the length is checked apart.
    string(LENGTH "${VEMOR_SIGNING_KEY_HEX}" length)
    if(NOT (length EQUAL 0 OR (length EQUAL 128 AND VEMOR_SIGNING_KEY_HEX MATCHES "^[0-9a-f]+$")))
        message(FATAL_ERROR "VEMOR_SIGNING_KEY must be empty or the line that 'php sign.php key' "
            "printed, 128 hex digits; got ${length} characters: '${key}'")
    endif()
    string(STRIP "${floor}" floor)
    string(LENGTH "${floor}" length)
    # Up to 19 digits always fit the launcher's 64-bit sequence; a leading
    # zero would make the number octal in C++.
    if(NOT floor MATCHES "^(0|[1-9][0-9]*)$" OR length GREATER 19)
        message(FATAL_ERROR "VEMOR_SIGNING_FLOOR must be the sequence that 'php sign.php publish' "
            "printed (a decimal number), or 0; got '${floor}'")
    endif()
    if(NOT floor STREQUAL "0" AND VEMOR_SIGNING_KEY_HEX STREQUAL "")
        message(FATAL_ERROR "VEMOR_SIGNING_FLOOR (${floor}) holds only for signed updates: "
            "set VEMOR_SIGNING_KEY too, or VEMOR_SIGNING_FLOOR=0")
    endif()
    set(VEMOR_SIGNING_FLOOR "${floor}")
    configure_file(${CMAKE_SOURCE_DIR}/app/BuildConfig.h.in ${dir}/BuildConfig.h @ONLY)
    set(VEMOR_SIGNING_KEY_HEX "${VEMOR_SIGNING_KEY_HEX}" PARENT_SCOPE)
    set(VEMOR_SIGNING_FLOOR "${floor}" PARENT_SCOPE)
endfunction()

# What went into the program, for whoever builds it for a community.
function(vemor_build_summary)
    message(STATUS "Vemor launcher ${PROJECT_VERSION}: portal ${VEMOR_PORTAL_HOST}, "
        "update FTP server ${VEMOR_FTP_HOST}:${VEMOR_FTP_PORT}")
    if(VEMOR_SIGNING_KEY_HEX STREQUAL "")
        message(STATUS "Signed updates: off (no VEMOR_SIGNING_KEY): the plain manifest and server list")
        return()
    endif()
    # The key's first and last eight digits: enough to compare it by eye with
    # what sign.php printed.
    string(SUBSTRING "${VEMOR_SIGNING_KEY_HEX}" 0 8 head)
    string(SUBSTRING "${VEMOR_SIGNING_KEY_HEX}" 120 8 tail)
    set(floor "floor ${VEMOR_SIGNING_FLOOR}")
    if(VEMOR_SIGNING_FLOOR STREQUAL "0")
        set(floor "no floor (VEMOR_SIGNING_FLOOR=0: a fresh install takes any signed file set)")
    endif()
    message(STATUS "Signed updates: on, key ${head}...${tail}, ${floor}")
endfunction()
