# The worker threads and the relay that carries the update's reports to the
# window: files of this subsystem (see the top-level CMakeLists.txt).
list(APPEND VEMOR_WIN_SOURCES workers/Win32UpdateRelay.cpp workers/Workers.cpp)
