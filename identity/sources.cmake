# Machine identity and stored account: files of this subsystem (see the top-level CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES
    identity/TextDigest.cpp
    identity/IdentifyText.cpp
    identity/DriveProbe.cpp
    identity/AccountRecord.cpp
)
list(APPEND VEMOR_WIN_SOURCES
    identity/Win32DriveQuery.cpp
    identity/Win32CookieFile.cpp
)
list(APPEND VEMOR_UNIT_TEST_SOURCES
    tests/unit/IdentityTextTest.cpp
    tests/unit/TextDigestTest.cpp
    tests/unit/IdentityProbeTest.cpp
    tests/unit/IdentityAccountTest.cpp
)
list(APPEND VEMOR_WIN_TEST_SOURCES tests/win/IdentityTest.cpp)
