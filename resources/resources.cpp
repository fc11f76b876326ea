// Holds the compiled resources of the program; the files themselves are listed in CMakeLists.txt.
