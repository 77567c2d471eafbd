# A second compiler for the Windows sources: clang against mingw-w64's
# headers and GCC's libstdc++ (Debian's clang has no C++ library of its own
# for this target). It compiles every source warning-free, but the linker
# finds libstdc++'s type information laid out differently from clang's
# (typeinfo names of std::exception, std::system_error, ...), so what it
# links is a compile check, not a release: the product is built with g++.
#   cmake -S . -B build/win64-clang -DCMAKE_TOOLCHAIN_FILE=cmake/clang-mingw-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triplet x86_64-w64-mingw32)
set(gcc_lib /usr/lib/gcc/${triplet}/12-posix)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${triplet})
set(CMAKE_CXX_COMPILER_TARGET ${triplet})
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_CXX_FLAGS_INIT
    "-isystem ${gcc_lib}/include/c++ -isystem ${gcc_lib}/include/c++/${triplet} -isystem ${gcc_lib}/include/c++/backward")

set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GNU ld, and the whole of winpthread: clang's driver names it before
# libgcc_eh, which needs it too.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -fuse-ld=bfd -L${gcc_lib} -s -Wl,--whole-archive -lwinpthread -Wl,--no-whole-archive")
