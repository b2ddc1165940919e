# Windows builds (mingw-w64): the launcher, the self-update program, the
# stand-in programs, the test driver and the Windows tests. Both builds run
# the Windows tests and the whole-program scenarios: the 64-bit one under the
# host's Wine, the shipping 32-bit one under 32-bit Wine in an emulated i386
# Debian (tools/wine-run32).
enable_language(RC)

add_compile_definitions(STRICT NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
# Players get one executable: nothing beyond the DLLs every Windows has.
add_link_options(-static -static-libgcc -static-libstdc++)

set(VEMOR_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    set(VEMOR_RUNS_HERE ON)
    set(VEMOR_WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine-run)
else()
    set(VEMOR_WINE_RUN ${CMAKE_SOURCE_DIR}/tools/wine-run32)
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR ${VEMOR_WINE_RUN} --prefix ${VEMOR_WINEPREFIX})

add_library(vemor_win STATIC ${VEMOR_WIN_SOURCES})
target_link_libraries(vemor_win PUBLIC vemor_logic ${VEMOR_WIN_LIBRARIES} gdiplus comctl32 ole32 oleaut32 uuid)
vemor_warnings(vemor_win)

add_executable(vemor WIN32 app/StarterApp.cpp res/vemor.rc)
target_link_libraries(vemor PRIVATE vemor_win)
target_link_options(vemor PRIVATE -s)
vemor_warnings(vemor)

# The self-update program that admins ship beside the launcher. It needs
# nothing of the launcher's libraries, so it stays small.
add_executable(eu WIN32
    selfupdate/SelfUpdate.cpp
    selfupdate/LauncherLog.cpp
    selfupdate/StartingLauncher.cpp
    selfupdate/eu.rc
    win/ErrorText.cpp
    win/Process.cpp
    win/ProgramFolder.cpp
)
target_include_directories(eu PRIVATE ${CMAKE_SOURCE_DIR})
target_link_options(eu PRIVATE -s)
vemor_warnings(eu)

# Stand-ins for the game and (in the scenarios that record how the launcher
# starts it) the self-update program, and the test driver.
add_executable(jamp WIN32 tools/standin/jamp.cpp)
add_executable(eu-standin WIN32 tools/standin/eu-standin.cpp)
add_executable(vemor-driver
    tools/driver/Main.cpp
    tools/driver/Options.cpp
    tools/driver/Output.cpp
    tools/driver/WindowAccess.cpp
    tools/driver/WindowCommands.cpp
    tools/driver/InputCommands.cpp
    tools/driver/MessageBoxes.cpp
    tools/driver/Processes.cpp
    tools/driver/FileCommands.cpp
    tools/driver/Commands.cpp
    tools/driver/Serve.cpp
)
target_link_libraries(vemor-driver PRIVATE ws2_32)
foreach(tool jamp eu-standin vemor-driver)
    vemor_warnings(${tool})
endforeach()

# Every DLL the shipped programs import must be one that every Windows has.
find_program(VEMOR_OBJDUMP ${VEMOR_MINGW_TRIPLE}-objdump REQUIRED)
add_test(NAME imports_system_dlls_only
    COMMAND ${CMAKE_SOURCE_DIR}/tools/check-imports ${VEMOR_OBJDUMP} $<TARGET_FILE:vemor>)
add_test(NAME eu_imports_system_dlls_only
    COMMAND ${CMAKE_SOURCE_DIR}/tools/check-imports ${VEMOR_OBJDUMP} $<TARGET_FILE:eu>)

# The Windows tests run in both builds: the 32-bit one is what players get.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_executable(win_tests
    tests/win/TestFolder.cpp
    ${VEMOR_WIN_TEST_SOURCES}
)
# Away from jamp.exe, so that the game search does not find the build's copy.
set_target_properties(win_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
target_link_libraries(win_tests PRIVATE vemor_win gtest_main)
target_compile_definitions(win_tests PRIVATE
    VEMOR_JAMP_EXE="$<TARGET_FILE:jamp>")
vemor_warnings(win_tests)
add_dependencies(win_tests jamp)
add_test(NAME win_tests COMMAND win_tests)
# Tests that show windows share one display: a message box or window of one
# would be found, answered or counted by another (the "display" lock).
if(VEMOR_RUNS_HERE)
    set_tests_properties(win_tests PROPERTIES TIMEOUT 300 RESOURCE_LOCK display)
else()
    set_tests_properties(win_tests PROPERTIES TIMEOUT 1200 RESOURCE_LOCK display)
endif()

# Whole-program scenarios: the real launcher against the demo community. The
# 32-bit run is slower (emulated) and, the first time on a machine, builds the
# i386 environment.
add_test(NAME e2e_launch
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/run_scenarios.py
            --build ${CMAKE_BINARY_DIR} --source ${CMAKE_SOURCE_DIR} --runner ${VEMOR_WINE_RUN})
add_test(NAME runner_interface
    COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/runner_test.py
            --build ${CMAKE_BINARY_DIR} --runner ${VEMOR_WINE_RUN})
if(VEMOR_RUNS_HERE)
    set_tests_properties(e2e_launch PROPERTIES TIMEOUT 600 RESOURCE_LOCK "demo_ports;display")
    set_tests_properties(runner_interface PROPERTIES TIMEOUT 300)
else()
    set_tests_properties(e2e_launch PROPERTIES TIMEOUT 1800 RESOURCE_LOCK "demo_ports;display")
    set_tests_properties(runner_interface PROPERTIES TIMEOUT 1200)
endif()
