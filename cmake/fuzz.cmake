# libFuzzer targets. libFuzzer needs clang while the native build compiles
# with g++, so each fuzzer is built by a command of its own from its sources,
# and run for a few seconds as a test of the AddressSanitizer build.
#
#   vemor_fuzzer(NAME name SOURCES file... [CORPUS folder] [ARGS arg...])
#
# SOURCES and CORPUS are relative to the source folder; the fuzzer also reads
# and grows a working corpus of its own in the build folder.
find_program(VEMOR_CLANGXX clang++)

function(vemor_fuzzer)
    cmake_parse_arguments(FUZZ "" "NAME;CORPUS" "SOURCES;ARGS" ${ARGN})
    if(WIN32 OR NOT VEMOR_SANITIZE MATCHES "address")
        return()
    endif()
    if(NOT VEMOR_CLANGXX)
        message(FATAL_ERROR "clang++ is needed for the fuzzers (scripts/install-deps)")
    endif()
    list(TRANSFORM FUZZ_SOURCES PREPEND ${CMAKE_SOURCE_DIR}/)
    file(GLOB_RECURSE headers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/identity/*.h ${CMAKE_SOURCE_DIR}/update/*.h
        ${CMAKE_SOURCE_DIR}/text/*.h)
    set(program ${CMAKE_BINARY_DIR}/fuzz/${FUZZ_NAME}_fuzzer)
    set(work ${CMAKE_BINARY_DIR}/fuzz/${FUZZ_NAME}-work)
    add_custom_command(OUTPUT ${program}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz ${work}
        COMMAND ${VEMOR_CLANGXX} -std=c++17 -g -O1 -Wall -Wextra -Werror
                -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all
                -I${CMAKE_SOURCE_DIR} ${FUZZ_SOURCES} -o ${program}
        DEPENDS ${FUZZ_SOURCES} ${headers}
        COMMENT "Building fuzzer ${FUZZ_NAME}")
    add_custom_target(fuzz_${FUZZ_NAME}_program ALL DEPENDS ${program})
    set(corpus)
    if(FUZZ_CORPUS)
        set(corpus ${CMAKE_SOURCE_DIR}/${FUZZ_CORPUS})
    endif()
    add_test(NAME fuzz_${FUZZ_NAME}
        COMMAND ${program} -max_total_time=5 -seed=1 ${FUZZ_ARGS} ${work} ${corpus})
endfunction()
