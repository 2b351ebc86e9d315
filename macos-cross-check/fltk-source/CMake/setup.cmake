# Stands in for FLTK 1.4.5's CMake/setup.cmake, reduced to what the release
# meets of it: where the libraries are written, and the frameworks of the
# Cocoa backend, which every program that links fltk gets
# (CMake/fl_add_library.cmake).
#
# FLTK asks the SDK how new it is, on every configure and without reusing
# an earlier answer: it compiles CMake/macOSMaxAllowed.c with
# SDK_VERSION_CHECK defined to a version, which compiles only against an SDK
# at least that new. With SDK 15.0 or later (150000) the Cocoa framework is
# joined by ScreenCaptureKit and UniformTypeIdentifiers, both weak; with an
# older SDK, from 11.0 (110000) on, by UniformTypeIdentifiers alone; before
# that by neither. Each answer is left in the cache as
# FLTK_CHECK_OSX_MAX_ALLOWED_<version>. (FLTK skips the test for ppc and
# i386, which nothing here builds.)
set(EXECUTABLE_OUTPUT_PATH ${CMAKE_CURRENT_BINARY_DIR}/bin)
set(LIBRARY_OUTPUT_PATH ${CMAKE_CURRENT_BINARY_DIR}/lib)
set(ARCHIVE_OUTPUT_PATH ${CMAKE_CURRENT_BINARY_DIR}/lib)

# cmake-lint: disable=C0103
# (the arguments are named as FLTK names them)
# Sets RESULT to whether the SDK offers macOS VERSION's API (e.g. 150000).
function(fltk_sdk_offers VERSION RESULT)
  set(answer FLTK_CHECK_OSX_MAX_ALLOWED_${VERSION})
  try_compile(${answer} ${CMAKE_CURRENT_BINARY_DIR}/CHECK_OSX_MAX_ALLOWED_${VERSION}
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/CMake/macOSMaxAllowed.c
    COMPILE_DEFINITIONS -DSDK_VERSION_CHECK=${VERSION})
  set(${RESULT} ${${answer}} PARENT_SCOPE)
endfunction()

set(FLTK_COCOA_FRAMEWORKS "-framework Cocoa")
fltk_sdk_offers(150000 sdk_15)
if(sdk_15)
  list(APPEND FLTK_COCOA_FRAMEWORKS
    "-weak_framework ScreenCaptureKit" "-weak_framework UniformTypeIdentifiers")
else()
  fltk_sdk_offers(110000 sdk_11)
  if(sdk_11)
    list(APPEND FLTK_COCOA_FRAMEWORKS "-weak_framework UniformTypeIdentifiers")
  endif()
endif()
message(STATUS "FLTK stand-in: the SDK test gives ${FLTK_COCOA_FRAMEWORKS}")
