# Fuzzers of the two inputs that come from outside the program: the disk
# drivers' descriptor strings and "cookie.dat".
vemor_fuzzer(NAME descriptor
    SOURCES tests/fuzz/DescriptorFuzz.cpp identity/IdentifyText.cpp text/Numbers.cpp)
vemor_fuzzer(NAME cookie
    SOURCES tests/fuzz/CookieFuzz.cpp identity/AccountRecord.cpp identity/TextDigest.cpp
            digest/Md5.cpp identity/IdentifyText.cpp text/Numbers.cpp)

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
