# Cross-configures the project for macOS on Apple silicon from Debian, to
# compile (not link) every C++ object of the bundle. Apple's SDK is not to be
# had here, so the C and C++ library headers are the arm64 Linux ones: good
# enough to compile our portable code and FLTK's headers for a Cocoa build.
set(CMAKE_SYSTEM_NAME Darwin)
set(CMAKE_SYSTEM_PROCESSOR arm64)

set(CMAKE_CXX_COMPILER /usr/bin/clang++-19)
set(CMAKE_OBJCXX_COMPILER /usr/bin/clang++-19)
set(CMAKE_CXX_COMPILER_TARGET arm64-apple-macos11)
set(CMAKE_OBJCXX_COMPILER_TARGET arm64-apple-macos11)
set(CMAKE_AR llvm-ar-19 CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib-19 CACHE FILEPATH "")
set(CMAKE_INSTALL_NAME_TOOL llvm-install-name-tool-19 CACHE FILEPATH "")
# Nothing can be linked: the compiler checks build static libraries.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

execute_process(COMMAND clang++-19 -print-resource-dir
                OUTPUT_VARIABLE _clang_resources OUTPUT_STRIP_TRAILING_WHITESPACE)
# For Darwin targets clang predefines __nonnull (Apple's nullability
# keyword), which keeps glibc's headers from defining their own
# __nonnull(...) attribute. libstdc++ expects _GNU_SOURCE, which compilers
# predefine for Linux targets only.
set(_flags "-U__nonnull -D_GNU_SOURCE -nostdinc -nostdinc++")
foreach(dir
    /usr/aarch64-linux-gnu/include/c++/14
    /usr/aarch64-linux-gnu/include/c++/14/aarch64-linux-gnu
    ${_clang_resources}/include
    /usr/aarch64-linux-gnu/include)
  string(APPEND _flags " -isystem ${dir}")
endforeach()
set(CMAKE_CXX_FLAGS_INIT "${_flags}")
set(CMAKE_OBJCXX_FLAGS_INIT "${_flags}")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
