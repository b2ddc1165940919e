# The run's log, vemor.log: what the workers did, for the admin who reads it
# (see the top-level CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES log/RunLog.cpp)
list(APPEND VEMOR_WIN_SOURCES
    log/CertificateErrors.cpp
    log/Win32LogFile.cpp
)
list(APPEND VEMOR_UNIT_TEST_SOURCES tests/unit/RunLogTest.cpp)
