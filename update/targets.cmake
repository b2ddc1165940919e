# Updates and server list: the network component tests under Wine, against
# servers that update_servers.py starts on free loopback ports around them.
if(VEMOR_RUNS_HERE)
    add_test(NAME update_network
        COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/win/update_servers.py
                --source ${CMAKE_SOURCE_DIR} --
                ${CMAKE_SOURCE_DIR}/tools/wine-run --prefix ${VEMOR_WINEPREFIX}
                $<TARGET_FILE:win_tests> --gtest_filter=HttpFetchTest.*:FtpDownloadTest.*)
    set_tests_properties(update_network PROPERTIES TIMEOUT 300)
endif()

if(VEMOR_BENCH)
    add_executable(bench_crc32 bench/Crc32Bench.cpp)
    target_link_libraries(bench_crc32 PRIVATE vemor_logic z)
    add_executable(bench_update_check bench/UpdateCheckBench.cpp)
    target_link_libraries(bench_update_check PRIVATE vemor_logic)
    foreach(program bench_crc32 bench_update_check)
        vemor_warnings(${program})
    endforeach()
endif()

# Fuzz targets of the two parsers (clang's libFuzzer), run for a few seconds
# each from a corpus of hostile texts, in the AddressSanitizer build.
find_program(VEMOR_CLANGXX clang++)
if(NOT WIN32 AND VEMOR_SANITIZE MATCHES "address" AND VEMOR_CLANGXX)
    set(fuzz_logic update/Manifest.cpp update/GamePath.cpp update/TextLines.cpp
        update/ServerList.cpp update/ServerCache.cpp update/NetAddress.cpp)
    list(TRANSFORM fuzz_logic PREPEND ${CMAKE_SOURCE_DIR}/)
    foreach(fuzzer Manifest ServerList)
        string(TOLOWER ${fuzzer} corpus)
        set(program ${CMAKE_BINARY_DIR}/fuzz_${corpus})
        add_custom_command(OUTPUT ${program}
            COMMAND ${VEMOR_CLANGXX} -std=c++17 -g -O1 -Wall -Wextra -Werror
                    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
                    -I${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests/fuzz/${fuzzer}Fuzzer.cpp
                    ${fuzz_logic} -o ${program}
            DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/${fuzzer}Fuzzer.cpp ${fuzz_logic}
            COMMENT "fuzz target ${fuzzer}")
        add_custom_target(fuzz_${corpus}_target ALL DEPENDS ${program})
        file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-work/${corpus})
        add_test(NAME fuzz_${corpus}
            COMMAND ${program} -max_total_time=5 -seed=1 -max_len=20000
                    ${CMAKE_BINARY_DIR}/fuzz-work/${corpus}
                    ${CMAKE_SOURCE_DIR}/tests/fuzz/${corpus}-corpus)
    endforeach()
endif()

# The Windows halves of the benchmarks that run under Wine
# (bench/ftp_download.sh, bench/update_check_wine.sh).
if(VEMOR_RUNS_HERE)
    add_executable(bench_ftp_download bench/FtpDownloadBench.cpp)
    add_executable(bench_update_check_wine bench/UpdateCheckWinBench.cpp)
    foreach(program bench_ftp_download bench_update_check_wine)
        target_link_libraries(${program} PRIVATE vemor_win)
        vemor_warnings(${program})
    endforeach()
endif()
