# The two worker threads (the update thread, which reports through the relay,
# and the server-list thread, which reports to nobody) and the relay that
# carries the update's reports to the window: files of this subsystem (see the
# top-level CMakeLists.txt).
list(APPEND VEMOR_WIN_SOURCES
    workers/ServerListThread.cpp
    workers/UpdateThread.cpp
    workers/Win32UpdateRelay.cpp
)
list(APPEND VEMOR_WIN_TEST_SOURCES tests/win/UpdateRelayTest.cpp)
