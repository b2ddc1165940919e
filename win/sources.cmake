# The thin Win32 layer under every subsystem: files of this folder (see the
# top-level CMakeLists.txt).
list(APPEND VEMOR_WIN_SOURCES
    win/Bstr.cpp
    win/Caught.cpp
    win/ChildWindow.cpp
    win/Control.cpp
    win/Dialog.cpp
    win/ErrorText.cpp
    win/MessageBox.cpp
    win/Process.cpp
    win/ProgramFolder.cpp
    win/Thread.cpp
    win/WholeFile.cpp
    win/Window.cpp
)
list(APPEND VEMOR_WIN_TEST_SOURCES tests/win/ChildWindowTest.cpp tests/win/WholeFileTest.cpp)
