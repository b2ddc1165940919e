# The launcher window's images are data of the resource scripts; a changed
# image must rebuild them.
set(VEMOR_UI_IMAGES
    ${CMAKE_SOURCE_DIR}/res/skin.png
    ${CMAKE_SOURCE_DIR}/res/button-launch.png
    ${CMAKE_SOURCE_DIR}/res/button-exit.png
)
if(WIN32)
    set_source_files_properties(res/vemor.rc PROPERTIES OBJECT_DEPENDS "${VEMOR_UI_IMAGES};${CMAKE_SOURCE_DIR}/res/ui.rc")
endif()

# Windows tests of the window's parts, in a program of their own that carries
# the real templates and images.
if(WIN32 AND VEMOR_RUNS_HERE)
    add_executable(ui_win_tests
        tests/win/UiTestMain.cpp
        tests/win/UiTestWindow.cpp
        tests/win/TextProgressCtrlTest.cpp
        tests/win/GdipButtonTest.cpp
        tests/win/TranslucentDialogTest.cpp
        tests/win/MainDialogTest.cpp
        tests/win/TestFolder.cpp
        tests/win/UiTestResources.rc
    )
    set_source_files_properties(tests/win/UiTestResources.rc PROPERTIES OBJECT_DEPENDS
        "${VEMOR_UI_IMAGES};${CMAKE_SOURCE_DIR}/res/ui.rc;${CMAKE_SOURCE_DIR}/tests/win/button-probe.png")
    set_target_properties(ui_win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(ui_win_tests PRIVATE vemor_win gtest ws2_32)
    vemor_warnings(ui_win_tests)
    add_test(NAME ui_win_tests COMMAND ui_win_tests)
    # The main window's test holds the portal's port of the build.
    set_tests_properties(ui_win_tests PROPERTIES TIMEOUT 300 RESOURCE_LOCK "demo_ports;display")
endif()
