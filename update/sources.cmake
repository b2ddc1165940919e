# Updates and server list: files of this subsystem (see the top-level CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES
    update/Crc32.cpp
    update/Crc32Clmul.cpp
    update/FtpDownload.cpp
    update/GamePath.cpp
    update/Manifest.cpp
    update/NetAddress.cpp
    update/ServerCache.cpp
    update/ServerList.cpp
    update/Sha256.cpp
    update/Sha256ShaNi.cpp
    update/SignedDocument.cpp
    update/SignedManifest.cpp
    update/SignedUpdate.cpp
    update/UpdateCheck.cpp
    update/UpdateRun.cpp
)
list(APPEND VEMOR_WIN_SOURCES
    update/CngVerifier.cpp
    update/HttpFetch.cpp
    update/Win32GameFolder.cpp
    update/Win32SequenceStore.cpp
    update/Win32ServerList.cpp
    update/Win32Ftp.cpp
)
list(APPEND VEMOR_WIN_LIBRARIES wininet ws2_32 bcrypt)
list(APPEND VEMOR_UNIT_TEST_SOURCES
    tests/unit/Crc32Test.cpp
    tests/unit/FtpDownloadTest.cpp
    tests/unit/ManifestTest.cpp
    tests/unit/ServerCacheTest.cpp
    tests/unit/Sha256Test.cpp
    tests/unit/SignedDocumentTest.cpp
    tests/unit/SignedUpdateTest.cpp
    tests/unit/UpdateRunTest.cpp
)
list(APPEND VEMOR_WIN_TEST_SOURCES
    tests/win/CngVerifierTest.cpp
    tests/win/GameFolderTest.cpp
    tests/win/HttpFetchTest.cpp
    tests/win/ServerCacheFileTest.cpp
    tests/win/Win32FtpTest.cpp
)

# The check cache and the run's log.
list(APPEND VEMOR_LOGIC_SOURCES
    update/CachedGameFolder.cpp
    update/CheckCache.cpp
    update/RunLog.cpp
)
list(APPEND VEMOR_WIN_SOURCES update/Win32CheckCache.cpp update/Win32LogFile.cpp)
list(APPEND VEMOR_UNIT_TEST_SOURCES tests/unit/CheckCacheTest.cpp tests/unit/RunLogTest.cpp)

# The portal over HTTPS: redirects, certificate errors and the request that
# follows them.
list(APPEND VEMOR_LOGIC_SOURCES update/HttpRedirect.cpp)
list(APPEND VEMOR_WIN_SOURCES update/CertificateErrors.cpp update/Win32HttpRequest.cpp)
list(APPEND VEMOR_UNIT_TEST_SOURCES tests/unit/HttpRedirectTest.cpp)
