# Fuzzers of the two inputs that come from outside the program: the disk
# drivers' descriptor strings and "cookie.dat". libFuzzer needs clang; the
# native build compiles with g++, so they are built here by a command of
# their own and run, a few seconds each, as tests of the AddressSanitizer build.
if(NOT WIN32 AND VEMOR_SANITIZE MATCHES "address")
    find_program(VEMOR_CLANGXX clang++ REQUIRED)
    set(identity_fuzzers
        "descriptor|tests/fuzz/DescriptorFuzz.cpp identity/IdentifyText.cpp"
        "cookie|tests/fuzz/CookieFuzz.cpp identity/AccountRecord.cpp identity/TextDigest.cpp identity/Md5.cpp identity/IdentifyText.cpp"
    )
    file(GLOB identity_headers ${CMAKE_SOURCE_DIR}/identity/*.h)
    foreach(entry ${identity_fuzzers})
        string(REPLACE "|" ";" entry "${entry}")
        list(GET entry 0 name)
        list(GET entry 1 files)
        separate_arguments(files)
        list(TRANSFORM files PREPEND ${CMAKE_SOURCE_DIR}/)
        set(program ${CMAKE_BINARY_DIR}/fuzz/${name}_fuzzer)
        add_custom_command(OUTPUT ${program}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz
            COMMAND ${VEMOR_CLANGXX} -std=c++17 -g -O1 -Wall -Wextra -Werror
                    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
                    -I${CMAKE_SOURCE_DIR} ${files} -o ${program}
            DEPENDS ${files} ${identity_headers}
            COMMENT "Building fuzzer fuzz_${name}")
        add_custom_target(fuzz_${name} ALL DEPENDS ${program})
        add_test(NAME fuzz_${name} COMMAND ${program} -max_total_time=5 -seed=1 -print_final_stats=1)
    endforeach()
endif()

if(VEMOR_BENCH)
    add_executable(bench_md5 bench/Md5Bench.cpp)
    target_link_libraries(bench_md5 PRIVATE vemor_logic)
    vemor_warnings(bench_md5)
endif()

# Run by bench/identity.sh under Wine.
if(VEMOR_RUNS_HERE)
    add_executable(bench_identity bench/IdentityStartBench.cpp)
    target_link_libraries(bench_identity PRIVATE vemor_win)
    vemor_warnings(bench_identity)
endif()
