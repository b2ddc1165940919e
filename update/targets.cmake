# Updates and server list: the network component tests under Wine, against
# servers that update_servers.py starts on free loopback ports around them.
if(VEMOR_RUNS_HERE)
    add_test(NAME update_network
        COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/win/update_servers.py
                --source ${CMAKE_SOURCE_DIR} --
                ${CMAKE_SOURCE_DIR}/tools/wine-run --prefix ${VEMOR_WINEPREFIX}
                $<TARGET_FILE:win_tests> --gtest_filter=HttpFetchTest.*:FtpDownloadTest.*:StallTest.*)
    set_tests_properties(update_network PROPERTIES TIMEOUT 300)
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

# Fuzz targets of the two parsers, started from a corpus of hostile texts.
set(update_fuzz_logic update/Manifest.cpp update/GamePath.cpp update/TextLines.cpp
    update/ServerList.cpp update/ServerCache.cpp update/NetAddress.cpp update/RunLog.cpp)
vemor_fuzzer(NAME manifest SOURCES tests/fuzz/ManifestFuzzer.cpp ${update_fuzz_logic}
    CORPUS tests/fuzz/manifest-corpus ARGS -max_len=20000)
vemor_fuzzer(NAME serverlist SOURCES tests/fuzz/ServerListFuzzer.cpp ${update_fuzz_logic}
    CORPUS tests/fuzz/serverlist-corpus ARGS -max_len=20000)

# The Windows halves of the benchmarks that run under Wine
# (bench/ftp_download.sh, bench/check_cache_wine.sh).
if(VEMOR_RUNS_HERE)
    add_executable(bench_ftp_download bench/FtpDownloadBench.cpp)
    add_executable(bench_check_cache_wine bench/CheckCacheWinBench.cpp)
    foreach(program bench_ftp_download bench_check_cache_wine)
        target_link_libraries(${program} PRIVATE vemor_win)
        vemor_warnings(${program})
    endforeach()
endif()

# The check cache file, as a hostile or torn file would reach it.
vemor_fuzzer(NAME checkcache
    SOURCES tests/fuzz/CheckCacheFuzzer.cpp update/CheckCache.cpp update/GamePath.cpp
            update/Crc32.cpp update/Crc32Clmul.cpp
    CORPUS tests/fuzz/checkcache-corpus ARGS -max_len=4096)
