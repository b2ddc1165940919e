# The portal view navigating to the demo portal server, under Wine.
if(VEMOR_RUNS_HERE)
    add_test(NAME portal_view_hosting
        COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/win/portal_hosting.py
                --build ${CMAKE_BINARY_DIR} --source ${CMAKE_SOURCE_DIR})
    set_tests_properties(portal_view_hosting PROPERTIES TIMEOUT 300)
endif()
