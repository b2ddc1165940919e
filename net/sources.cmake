# HTTP and FTP through WinINet, with the stall and redirect rules of every
# request (see the top-level CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES net/HttpRedirect.cpp)
list(APPEND VEMOR_WIN_SOURCES
    net/Win32Ftp.cpp
    net/Win32HttpFetch.cpp
    net/Win32HttpRequest.cpp
)
list(APPEND VEMOR_WIN_LIBRARIES wininet)
list(APPEND VEMOR_UNIT_TEST_SOURCES tests/unit/HttpRedirectTest.cpp)
list(APPEND VEMOR_WIN_TEST_SOURCES
    tests/win/HttpFetchTest.cpp
    tests/win/Win32FtpTest.cpp
)
