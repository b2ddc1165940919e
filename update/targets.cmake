# Updates and server list: the network component tests under Wine, against
# servers that update_servers.py starts on free loopback ports around them.
if(VEMOR_RUNS_HERE)
    add_test(NAME update_network
        COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/win/update_servers.py --
                ${CMAKE_SOURCE_DIR}/tools/wine-run --prefix ${VEMOR_WINEPREFIX}
                $<TARGET_FILE:win_tests> --gtest_filter=HttpFetchTest.*:Win32FtpTest.*)
    set_tests_properties(update_network PROPERTIES TIMEOUT 300)
endif()

# The native tests sign and verify their documents through OpenSSL; the
# program never links it (it verifies through Windows' own API).
if(TARGET unit_tests)
    find_package(OpenSSL REQUIRED)
    target_link_libraries(unit_tests PRIVATE OpenSSL::Crypto)
endif()

if(VEMOR_BENCH)
    add_executable(bench_crc32 bench/Crc32Bench.cpp)
    target_link_libraries(bench_crc32 PRIVATE vemor_logic z)
    add_executable(bench_check_cache bench/CheckCacheBench.cpp)
    target_link_libraries(bench_check_cache PRIVATE vemor_logic)
    foreach(program bench_crc32 bench_check_cache)
        vemor_warnings(${program})
    endforeach()
endif()

# Fuzz targets of the parsers, started from a corpus of hostile texts.
set(update_fuzz_logic update/Manifest.cpp text/GamePath.cpp text/Numbers.cpp text/TextLines.cpp
    serverlist/ServerList.cpp serverlist/ServerCache.cpp serverlist/NetAddress.cpp digest/Sha256.cpp
    digest/Sha256ShaNi.cpp signing/SignedDocument.cpp signing/SignedUpdate.cpp log/RunLog.cpp)
vemor_fuzzer(NAME manifest SOURCES tests/fuzz/ManifestFuzzer.cpp ${update_fuzz_logic}
    CORPUS tests/fuzz/manifest-corpus ARGS -max_len=20000)
vemor_fuzzer(NAME serverlist SOURCES tests/fuzz/ServerListFuzzer.cpp ${update_fuzz_logic}
    CORPUS tests/fuzz/serverlist-corpus ARGS -max_len=20000)
vemor_fuzzer(NAME signed SOURCES tests/fuzz/SignedDocumentFuzzer.cpp ${update_fuzz_logic}
    CORPUS tests/fuzz/signed-corpus ARGS -max_len=20000)

# The Windows halves of the benchmarks that run under Wine
# (bench/ftp_download.sh, bench/first_install.sh, bench/check_cache_wine.sh,
# bench/sha256_download.sh).
if(VEMOR_RUNS_HERE)
    add_executable(bench_ftp_download bench/FtpDownloadBench.cpp)
    add_executable(bench_first_install bench/FirstInstallBench.cpp)
    add_executable(bench_check_cache_wine bench/CheckCacheWinBench.cpp)
    add_executable(bench_sha256_download bench/Sha256DownloadBench.cpp)
    foreach(program bench_ftp_download bench_first_install bench_check_cache_wine
            bench_sha256_download)
        target_link_libraries(${program} PRIVATE vemor_win)
        vemor_warnings(${program})
    endforeach()
endif()

# A test build of the launcher with the scenarios' key (its private half signs
# the scenarios' updates), set up by the same check as an admin's
# VEMOR_SIGNING_KEY and VEMOR_SIGNING_FLOOR: only StarterApp.cpp, which hands
# both to the session, is compiled again. The scenarios of signed updates run
# on it; its floor lies below every sequence the kit signs them with.
function(vemor_testkey_launcher)
    file(READ ${CMAKE_SOURCE_DIR}/tests/e2e/test-signing-key.pub key)
    vemor_build_config(${CMAKE_BINARY_DIR}/generated-testkey "${key}" 1700000000)
    add_executable(vemor-testkey WIN32 app/StarterApp.cpp res/vemor.rc)
    target_include_directories(vemor-testkey BEFORE PRIVATE ${CMAKE_BINARY_DIR}/generated-testkey)
    target_link_libraries(vemor-testkey PRIVATE vemor_win)
    target_link_options(vemor-testkey PRIVATE -s)
    vemor_warnings(vemor-testkey)
    add_test(NAME e2e_signed
        COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/run_scenarios.py --signed
                --build ${CMAKE_BINARY_DIR} --source ${CMAKE_SOURCE_DIR})
    set_tests_properties(e2e_signed PROPERTIES TIMEOUT 600 RESOURCE_LOCK "demo_ports;display")
endfunction()
if(VEMOR_RUNS_HERE)
    vemor_testkey_launcher()
endif()

# The check cache file, as a hostile or torn file would reach it.
vemor_fuzzer(NAME checkcache
    SOURCES tests/fuzz/CheckCacheFuzzer.cpp update/CheckCache.cpp text/GamePath.cpp
            digest/Crc32.cpp digest/Crc32Clmul.cpp text/Numbers.cpp
    CORPUS tests/fuzz/checkcache-corpus ARGS -max_len=4096)

# The portal over HTTPS under Wine: the fetch against TLS servers whose
# certificates tls_servers.py makes (a test authority that vemor-trust-ca
# adds to this build's Wine prefix, never to the host's store), and a test
# build of the launcher for an https:// portal, for the scenario that runs
# the demo portal over TLS.
function(vemor_https_tests)
    add_executable(vemor-trust-ca tools/tls/TrustCa.cpp)
    target_link_libraries(vemor-trust-ca PRIVATE crypt32)
    add_executable(bench_https_fetch bench/HttpsFetchBench.cpp)
    target_link_libraries(bench_https_fetch PRIVATE vemor_win)
    foreach(program vemor-trust-ca bench_https_fetch)
        vemor_warnings(${program})
    endforeach()
    set(runner ${CMAKE_SOURCE_DIR}/tools/wine-run --prefix ${VEMOR_WINEPREFIX})
    add_test(NAME https_fetch
        COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tools/tls/tls_servers.py
                --certs ${CMAKE_BINARY_DIR}/tls --trust ${runner} $<TARGET_FILE:vemor-trust-ca>
                -- ${runner} $<TARGET_FILE:win_tests> --gtest_filter=HttpsFetchTest.*)
    set_tests_properties(https_fetch PROPERTIES TIMEOUT 300)

    # Ports of its own: the scenario reads them from the generated header.
    set(VEMOR_PORTAL_HOST "https://localhost:8443")
    set(VEMOR_FTP_PORT 2122)
    configure_file(${CMAKE_SOURCE_DIR}/app/BuildConfig.h.in
        ${CMAKE_BINARY_DIR}/generated-https/BuildConfig.h @ONLY)
    # The two worker threads and MainDialog.cpp take the portal's address
    # from the build's settings; StarterApp.cpp (the log's first line) too.
    add_executable(vemor-https WIN32 app/StarterApp.cpp workers/UpdateThread.cpp
        workers/ServerListThread.cpp ui/MainDialog.cpp log/Win32LogFile.cpp res/vemor.rc)
    target_include_directories(vemor-https BEFORE PRIVATE ${CMAKE_BINARY_DIR}/generated-https)
    target_link_libraries(vemor-https PRIVATE vemor_win)
    target_link_options(vemor-https PRIVATE -s)
    vemor_warnings(vemor-https)
    add_test(NAME e2e_https
        COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/run_scenarios.py --https
                --build ${CMAKE_BINARY_DIR} --source ${CMAKE_SOURCE_DIR})
    set_tests_properties(e2e_https PROPERTIES TIMEOUT 600 RESOURCE_LOCK "demo_ports;display")
endfunction()
if(VEMOR_RUNS_HERE)
    vemor_https_tests()
endif()
