# Launcher window: files of this subsystem (see the top-level CMakeLists.txt).
list(APPEND VEMOR_LOGIC_SOURCES ui/ProgressLogic.cpp)
list(APPEND VEMOR_WIN_SOURCES
    ui/ButtonLooks.cpp
    ui/GdiPlusBitmap.cpp
    ui/GdipButton.cpp
    ui/LayeredApi.cpp
    ui/MainDialog.cpp
    ui/MainTranslucentDialog.cpp
    ui/MemDC.cpp
    ui/StandardDialog.cpp
    ui/TextProgressCtrl.cpp
    ui/TranslucentDialog.cpp
)
list(APPEND VEMOR_UNIT_TEST_SOURCES tests/unit/ProgressLogicTest.cpp)
