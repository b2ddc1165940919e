# The update thread's job: the manifest and the check of the game folder, the
# check cache, the download and the run that ties them together (see the
# top-level CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES
    update/CachedGameFolder.cpp
    update/CheckCache.cpp
    update/FtpDownload.cpp
    update/Manifest.cpp
    update/SignedManifest.cpp
    update/UpdateCheck.cpp
    update/UpdateRun.cpp
)
list(APPEND VEMOR_WIN_SOURCES
    update/Win32CheckCache.cpp
    update/Win32GameFolder.cpp
)
list(APPEND VEMOR_UNIT_TEST_SOURCES
    tests/unit/CheckCacheTest.cpp
    tests/unit/FtpDownloadTest.cpp
    tests/unit/ManifestTest.cpp
    tests/unit/UpdateRunTest.cpp
)
list(APPEND VEMOR_WIN_TEST_SOURCES tests/win/GameFolderTest.cpp)
