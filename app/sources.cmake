# Launcher core: start-up, the launch session and the launch phase.
list(APPEND VEMOR_LOGIC_SOURCES app/GameConfig.cpp)
list(APPEND VEMOR_WIN_SOURCES
    app/InstalledAccount.cpp
    app/LaunchSession.cpp
    app/Win32ConfigFiles.cpp
)
list(APPEND VEMOR_UNIT_TEST_SOURCES tests/unit/GameConfigTest.cpp)
list(APPEND VEMOR_WIN_TEST_SOURCES
    tests/win/Win32ConfigFilesTest.cpp
    tests/win/LaunchSessionTest.cpp
)
