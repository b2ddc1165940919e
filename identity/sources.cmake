# Machine identity and stored account: files of this subsystem (see the top-level CMakeLists.txt).
