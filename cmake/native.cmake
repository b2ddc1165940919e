# Native build: the portable logic under GoogleTest, optionally with sanitizers.
find_package(GTest REQUIRED)

if(VEMOR_SANITIZE)
    add_compile_options(-fsanitize=${VEMOR_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=${VEMOR_SANITIZE})
endif()

add_executable(unit_tests ${VEMOR_UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE vemor_logic GTest::gtest_main)
vemor_warnings(unit_tests)
target_compile_definitions(unit_tests
    PRIVATE VEMOR_FIELD_CORPUS="${CMAKE_SOURCE_DIR}/tests/corpus/fields.txt")
add_test(NAME unit_tests COMMAND unit_tests)

# The community's server kit under PHP's built-in web server, and an admin's
# configure with a key the kit made; once is enough, so not in the
# ThreadSanitizer build.
if(NOT VEMOR_SANITIZE MATCHES "thread")
    add_test(NAME kit
        COMMAND /usr/bin/python3 -m unittest discover -s ${CMAKE_SOURCE_DIR}/tests/kit -p "test_*.py")
    # Which folder may include which: the layers docs/architecture.md draws.
    add_test(NAME include_directions
        COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tools/check-includes ${CMAKE_SOURCE_DIR})
    add_test(NAME configure
        COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/build/configure_test.py)
    set_tests_properties(configure PROPERTIES TIMEOUT 600)
endif()
