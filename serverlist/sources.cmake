# The server-list thread's job: the community's list, the server addresses,
# and the game's server cache built from them (see the top-level
# CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES
    serverlist/NetAddress.cpp
    serverlist/ServerCache.cpp
    serverlist/ServerList.cpp
)
list(APPEND VEMOR_WIN_SOURCES serverlist/Win32ServerList.cpp)
list(APPEND VEMOR_WIN_LIBRARIES ws2_32)
list(APPEND VEMOR_UNIT_TEST_SOURCES tests/unit/ServerCacheTest.cpp)
list(APPEND VEMOR_WIN_TEST_SOURCES tests/win/ServerCacheFileTest.cpp)
