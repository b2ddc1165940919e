# The portal's address setting: the launcher's reading (unit test) and the
# configure-time check (CMake script) over one table of settings.
if(TARGET unit_tests)
    set(portal_settings ${CMAKE_SOURCE_DIR}/tests/unit/portal-settings.txt)
    target_compile_definitions(unit_tests PRIVATE VEMOR_PORTAL_SETTINGS_TABLE="${portal_settings}")
    add_test(NAME portal_host_setting
        COMMAND ${CMAKE_COMMAND} -DTABLE=${portal_settings}
                -P ${CMAKE_SOURCE_DIR}/tests/unit/PortalHostSetting.cmake)
endif()
