# Cross-configures the project for macOS from Debian, to compile (not link)
# every C++ object of the bundle for one architecture, CMAKE_OSX_ARCHITECTURES
# (arm64 or x86_64). CMake adds -arch and the deployment target
# (-mmacosx-version-min) from the project's settings, as on a Mac. Apple's SDK
# is not to be had here, so the C and C++ library headers are Linux's for the
# same architecture, and apple-include/ stands in for the two SDK headers
# that GoogleTest's headers include, one of which FLTK's build also tests to
# learn the SDK's version: good enough to compile our portable code, FLTK's
# headers for a Cocoa build and GoogleTest's, and to answer FLTK as the
# runners' SDKs do.
set(CMAKE_SYSTEM_NAME Darwin)
if(NOT CMAKE_OSX_ARCHITECTURES MATCHES "^(arm64|x86_64)$")
  message(FATAL_ERROR "Set CMAKE_OSX_ARCHITECTURES to arm64 or x86_64, not '${CMAKE_OSX_ARCHITECTURES}'")
endif()
set(CMAKE_SYSTEM_PROCESSOR ${CMAKE_OSX_ARCHITECTURES})

# C for FLTK's and GoogleTest's own projects, built from source in the
# release configuration.
set(CMAKE_C_COMPILER /usr/bin/clang-19)
set(CMAKE_CXX_COMPILER /usr/bin/clang++-19)
set(CMAKE_OBJCXX_COMPILER /usr/bin/clang++-19)
set(CMAKE_C_COMPILER_TARGET ${CMAKE_OSX_ARCHITECTURES}-apple-macos)
set(CMAKE_CXX_COMPILER_TARGET ${CMAKE_OSX_ARCHITECTURES}-apple-macos)
set(CMAKE_OBJCXX_COMPILER_TARGET ${CMAKE_OSX_ARCHITECTURES}-apple-macos)
set(CMAKE_AR llvm-ar-19 CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib-19 CACHE FILEPATH "")
# Nothing can be linked: the compiler checks build static libraries.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

execute_process(COMMAND clang++-19 -print-resource-dir
                OUTPUT_VARIABLE _clang_resources OUTPUT_STRIP_TRAILING_WHITESPACE)
if(CMAKE_OSX_ARCHITECTURES STREQUAL arm64)
  set(_cxx_headers
    /usr/aarch64-linux-gnu/include/c++/14
    /usr/aarch64-linux-gnu/include/c++/14/aarch64-linux-gnu)
  set(_c_headers
    ${_clang_resources}/include
    /usr/aarch64-linux-gnu/include
    ${CMAKE_CURRENT_LIST_DIR}/apple-include)
else()
  # The host's own; FLTK's Cocoa headers come first on the command line,
  # ahead of Debian's X11 ones in /usr/include. glibc's <bits/floatn.h> is
  # replaced: it would declare _Float128, which Apple targets lack.
  set(_cxx_headers
    /usr/include/c++/14
    /usr/include/x86_64-linux-gnu/c++/14)
  set(_c_headers
    ${CMAKE_CURRENT_LIST_DIR}/x86_64-include
    ${_clang_resources}/include
    /usr/include/x86_64-linux-gnu
    /usr/include
    ${CMAKE_CURRENT_LIST_DIR}/apple-include)
endif()
# For Darwin targets clang predefines __nonnull (Apple's nullability
# keyword), which keeps glibc's headers from defining their own
# __nonnull(...) attribute. libstdc++ expects _GNU_SOURCE, which compilers
# predefine for Linux targets only.
set(_c_flags "-U__nonnull -D_GNU_SOURCE -nostdinc")
# C++'s headers come before C's: libstdc++ reaches C's with #include_next.
set(_cxx_flags "${_c_flags} -nostdinc++")
foreach(dir IN LISTS _c_headers)
  string(APPEND _c_flags " -isystem ${dir}")
endforeach()
foreach(dir IN LISTS _cxx_headers _c_headers)
  string(APPEND _cxx_flags " -isystem ${dir}")
endforeach()
set(CMAKE_C_FLAGS_INIT "${_c_flags}")
set(CMAKE_CXX_FLAGS_INIT "${_cxx_flags}")
set(CMAKE_OBJCXX_FLAGS_INIT "${_cxx_flags}")

set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
