# Signed manifests and server lists: the document format, the decision on a
# fetched one, the highest sequences kept, and the signature check through
# Windows' CNG (see the top-level CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES
    signing/SignedDocument.cpp
    signing/SignedUpdate.cpp
)
list(APPEND VEMOR_WIN_SOURCES
    signing/Win32CngVerifier.cpp
    signing/Win32SequenceStore.cpp
)
list(APPEND VEMOR_WIN_LIBRARIES bcrypt)
list(APPEND VEMOR_UNIT_TEST_SOURCES
    tests/unit/SignedDocumentTest.cpp
    tests/unit/SignedUpdateTest.cpp
)
list(APPEND VEMOR_WIN_TEST_SOURCES tests/win/CngVerifierTest.cpp)
