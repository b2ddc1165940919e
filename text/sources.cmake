# Text and number helpers of every other subsystem: portable, with no
# includes of their own beyond the standard library.
list(APPEND VEMOR_LOGIC_SOURCES
    text/GamePath.cpp
    text/Numbers.cpp
    text/TextLines.cpp
)
list(APPEND VEMOR_UNIT_TEST_SOURCES tests/unit/NumbersTest.cpp)
