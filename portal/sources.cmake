# Portal bridge: files of this subsystem (see the top-level CMakeLists.txt).
