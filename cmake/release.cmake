# The release's configuration, as an initial cache (cmake -C): the release
# script builds with it on a Mac, and the macOS cross-check configures with
# it, one architecture at a time, so that what is checked is what ships.
set(CMAKE_BUILD_TYPE Release CACHE STRING "")
set(QUILLMERE_WERROR ON CACHE BOOL "")
set(QUILLMERE_TESTS ON CACHE BOOL "")
set(QUILLMERE_FLTK_FROM_SOURCE ON CACHE BOOL "")
set(CMAKE_OSX_ARCHITECTURES "arm64;x86_64" CACHE STRING "")
