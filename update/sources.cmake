# Updates and server list: files of this subsystem (see the top-level CMakeLists.txt).
