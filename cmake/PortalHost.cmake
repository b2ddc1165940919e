# The portal web server's setting, VEMOR_PORTAL_HOST: "host", "host:port",
# "http://host[:port]" or "https://host[:port]", with at most one "/" after
# it. A bare host is plain HTTP. vemor_portal_origin() gives the address the
# launcher makes of it (scheme, host and port, no path), or "" for anything
# the launcher could not use, so that such a build is refused when it is
# configured, not when a player starts it. portal/PortalAddress.cpp reads the
# setting by the same rules; the portal_host_setting test holds the two to
# one table.
function(vemor_portal_origin setting result)
    set(origin "")
    # CMake's expressions have no {n}: the port's five digits are spelled out.
    if(setting MATCHES "^(https?://)?([A-Za-z0-9.-]+)(:([0-9][0-9]?[0-9]?[0-9]?[0-9]?))?/?$")
        set(scheme "${CMAKE_MATCH_1}")
        set(host "${CMAKE_MATCH_2}")
        set(colon "${CMAKE_MATCH_3}")
        set(port "${CMAKE_MATCH_4}")
        if(scheme STREQUAL "")
            set(scheme "http://")
        endif()
        if(colon STREQUAL "")
            set(origin "${scheme}${host}")
        elseif(NOT port STREQUAL "")
            math(EXPR port "${port}")
            if(port GREATER_EQUAL 1 AND port LESS_EQUAL 65535)
                set(origin "${scheme}${host}:${port}")
            endif()
        endif()
    endif()
    set(${result} "${origin}" PARENT_SCOPE)
endfunction()
