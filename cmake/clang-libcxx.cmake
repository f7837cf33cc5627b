# clang with LLVM's standard library, libc++: the compiler and library of macOS and
# FreeBSD, here on Linux (Debian: clang, libc++-dev, libc++abi-dev). GoogleTest is
# built from its sources, since Debian's is built against libstdc++.
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-stdlib=libc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-stdlib=libc++")
set(MESHLIFT_GTEST_FROM_SOURCE ON CACHE BOOL "")
