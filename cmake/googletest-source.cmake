# GoogleTest from its pinned release, built with the tests for the same
# architectures and deployment target, so that a Mac needs nothing installed
# to build and run them.
include(FetchContent)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
FetchContent_Declare(googletest
  URL https://github.com/google/googletest/archive/refs/tags/v1.17.0.tar.gz
  URL_HASH SHA256=65fab701d9829d38cb77c14acdc431d2108bfdbf8979e40eb8ae567edf10b27c
  DOWNLOAD_EXTRACT_TIMESTAMP TRUE
  # Its headers are not ours to warn about.
  SYSTEM)
FetchContent_MakeAvailable(googletest)
