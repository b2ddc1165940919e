# MD5 (the machine identifier's; tested through identity/TextDigest), CRC-32
# and SHA-256, each with the processor's instructions where it has them (see
# the top-level CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES
    digest/Crc32.cpp
    digest/Crc32Clmul.cpp
    digest/Md5.cpp
    digest/Sha256.cpp
    digest/Sha256ShaNi.cpp
)
list(APPEND VEMOR_UNIT_TEST_SOURCES
    tests/unit/Crc32Test.cpp
    tests/unit/Sha256Test.cpp
)
